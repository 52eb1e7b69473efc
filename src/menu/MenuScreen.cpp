#include "menu/MenuScreen.h"

#include "forms/FormBuilder.h"
#include "menu/MenuDesign.h"

MenuScreen::MenuScreen(const program::Services& services)
    : program::Screen(services.navigation), services_(services) {}

std::unique_ptr<forms::Form> MenuScreen::createForm() {
    auto form = design::buildForm(design::menuScreen(), services_.timers, services_.players,
                                  [this] { afterEvent(); });
    form->onClick(QStringLiteral("Command1"), 0, [this] { Command1_Click(); });
    form->onClick(QStringLiteral("Command2"), 0, [this] { Command2_Click(); });
    form->onClick(QStringLiteral("Command3"), 0, [this] { Command3_Click(); });
    form->onClick(QStringLiteral("Command4"), 0, [this] { Command4_Click(); });
    form->onTimer(QStringLiteral("Timer1"), 0, [this] { Timer1_Timer(); });
    form->onTimer(QStringLiteral("Timer2"), 0, [this] { Timer2_Timer(); });
    for (int index = 1; index <= 3; ++index)
        form->onTimer(QStringLiteral("Timer3"), index, [this, index] { Timer3_Timer(index); });
    return form;
}

void MenuScreen::bindControls(forms::Form& form) {
    using forms::PictureBox;
    using forms::PictureButton;
    controls_ = std::make_unique<Controls>(
        form.control<PictureButton>(QStringLiteral("Command1")),
        form.control<PictureButton>(QStringLiteral("Command2")),
        form.control<PictureButton>(QStringLiteral("Command3")),
        form.control<PictureButton>(QStringLiteral("Command4")),
        form.controlArray<PictureBox>(QStringLiteral("Image1")),
        form.controlArray<PictureBox>(QStringLiteral("Image5")),
        form.control<PictureBox>(QStringLiteral("Image6")),
        form.control<PictureBox>(QStringLiteral("Image7")),
        form.control<forms::Label>(QStringLiteral("Label1")), form.timer(QStringLiteral("Timer1")),
        form.timer(QStringLiteral("Timer2")), form.timerArray(QStringLiteral("Timer3")),
        form.player(QStringLiteral("MediaPlayer1")),
        PerMole<forms::ControlArray<forms::PictureBox>>{});
}

void MenuScreen::releaseControls() {
    controls_.reset();
}

forms::PictureBox& MenuScreen::molePicture(int mole, int element) const {
    return controls_->moles[mole][element];
}
