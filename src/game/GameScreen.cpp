#include "game/GameScreen.h"

#include "data/DataFolder.h"
#include "forms/FormBuilder.h"
#include "game/GameDesign.h"

GameScreen::GameScreen(const program::Services& services)
    : program::Screen(services.navigation), services_(services) {}

std::unique_ptr<forms::Form> GameScreen::createForm() {
    auto form = design::buildForm(design::gameScreen(), services_.timers, services_.players,
                                  [this] { afterEvent(); });
    form->onClick(QStringLiteral("Command1"), 0, [this] { Command1_Click(); });
    form->onClick(QStringLiteral("Command2"), 0, [this] { Command2_Click(); });
    form->onClick(QStringLiteral("Command3"), 0, [this] { Command3_Click(); });
    form->onClick(QStringLiteral("Command4"), 0, [this] { Command4_Click(); });
    form->onClick(QStringLiteral("Command5"), 0, [this] { Command5_Click(); });
    form->onClick(QStringLiteral("Image12"), 0, [this] { Image12_Click(); });
    for (int index = 1; index <= 9; ++index) {
        form->onClick(QStringLiteral("Image13"), index, [this, index] { Image13_Click(index); });
        form->onTimer(QStringLiteral("Timer2"), index, [this, index] { Timer2_Timer(index); });
    }
    form->onTimer(QStringLiteral("Timer1"), 0, [this] { Timer1_Timer(); });
    form->onTimer(QStringLiteral("Timer3"), 0, [this] { Timer3_Timer(); });
    form->onTimer(QStringLiteral("Timer4"), 0, [this] { Timer4_Timer(); });
    form->onTimer(QStringLiteral("Timer5"), 0, [this] { Timer5_Timer(); });
    return form;
}

void GameScreen::bindControls(forms::Form& form) {
    using forms::Label;
    using forms::PictureBox;
    using forms::PictureButton;
    controls_ = std::make_unique<Controls>(
        form.control<PictureButton>(QStringLiteral("Command1")),
        form.control<PictureButton>(QStringLiteral("Command2")),
        form.control<PictureButton>(QStringLiteral("Command3")),
        form.control<PictureButton>(QStringLiteral("Command4")),
        form.control<PictureButton>(QStringLiteral("Command5")),
        form.controlArray<PictureBox>(QStringLiteral("Image10")),
        form.controlArray<PictureBox>(QStringLiteral("Image11")),
        form.control<PictureBox>(QStringLiteral("Image12")),
        form.controlArray<PictureBox>(QStringLiteral("Image13")),
        form.controlArray<PictureBox>(QStringLiteral("Image14")),
        form.control<PictureBox>(QStringLiteral("Image15")),
        form.control<PictureBox>(QStringLiteral("Image16")),
        form.control<forms::Frame>(QStringLiteral("Frame1")),
        form.control<Label>(QStringLiteral("Label1")),
        form.control<Label>(QStringLiteral("Label2")),
        form.control<Label>(QStringLiteral("Label3")),
        form.control<Label>(QStringLiteral("Label4")),
        form.control<Label>(QStringLiteral("Label5")),
        form.control<Label>(QStringLiteral("Label6")), form.timer(QStringLiteral("Timer1")),
        form.timerArray(QStringLiteral("Timer2")), form.timer(QStringLiteral("Timer3")),
        form.timer(QStringLiteral("Timer4")), form.timer(QStringLiteral("Timer5")),
        form.player(QStringLiteral("MediaPlayer1")), form.player(QStringLiteral("MediaPlayer2")),
        forms::OneBased<forms::ControlArray<forms::PictureBox>, 9>{});
}

void GameScreen::releaseControls() {
    controls_.reset();
}

forms::PictureBox& GameScreen::stagePicture(int hole, int element) const {
    return controls_->holes[hole][element];
}

void GameScreen::play(const char16_t* relativePath) {
    controls_->MediaPlayer1.play(services_.dataFolder.path(relativePath));
}
