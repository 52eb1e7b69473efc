// Loading the menu and spelling out the title, one character every half second.
#include "menu/MenuScreen.h"

#include "data/DataFolder.h"

void MenuScreen::Form_Load() {
    titleStep = 1;
    animationStopped = 0;
    for (int i = 1; i <= 3; ++i) {
        moleImageName[i] = QStringLiteral("image") + QString::number(i + 1).back();
        controls_->moles[i] = form()->controlArray<forms::PictureBox>(moleImageName[i]);
    }
    resetMoleStates();
    controls_->MediaPlayer1.preload(services_.dataFolder.path(data::HitSound));
    controls_->Timer1.setInterval(500);
}

void MenuScreen::Timer1_Timer() {
    Controls& c = *controls_;
    if (titleStep >= 7) {
        // The title is complete: only now can a button be pressed.
        showMenuButtons(true);
        c.Timer1.setInterval(0);
        startMoleTimer();
        return;
    }
    c.Image1[titleStep].show();
    ++titleStep;
}
