// The start of a round: スタート, the 3-2-1 countdown, and the start of play.
#include "game/GameScreen.h"

#include "data/DataFolder.h"

void GameScreen::Command1_Click() {
    Controls& c = *controls_;
    showBoardButtons(false);
    countdownStep = 0;
    resetRound();
    countdownTime = services_.clock.stamp();
    c.Timer3.setInterval(100);
}

void GameScreen::Timer3_Timer() {
    Controls& c = *controls_;
    // Steps measure from whole-second stamps, so a late tick never adds up over the steps.
    if (!(services_.clock.elapsedSince(countdownTime) > 0.5))
        return;
    ++countdownStep;
    if (countdownStep == 4) {
        c.Timer3.setInterval(0);
        c.Image11[3].hide();
        startPlay();
        return;
    }
    countdownTime = services_.clock.stamp();
    switch (countdownStep) {
    case 1:
        c.Image11[1].show();
        play(data::CountdownBeep);
        break;
    case 2:
        c.Image11[1].hide();
        c.Image11[2].show();
        play(data::CountdownBeep);
        break;
    case 3:
        c.Image11[2].hide();
        c.Image11[3].show();
        play(data::LastCountdownBeep);
        break;
    default:
        break;
    }
}

void GameScreen::startPlay() {
    Controls& c = *controls_;
    c.MediaPlayer2.play(services_.dataFolder.path(data::Music));
    c.MediaPlayer2.setPlayCount(0);
    c.Image12.show();
    roundStartTime = services_.clock.stamp();
    c.Timer1.setInterval(1000);
}
