// The board buttons' ways out: the settings screen, and the closing sequence that ends
// the program with every mole out and its mouth open.
#include "game/GameScreen.h"

#include "data/DataFolder.h"
#include "program/Navigation.h"
#include "program/Screens.h"

// スタート, おわり and 設定 go together: hidden for a round or the closing sequence.
void GameScreen::showBoardButtons(bool shown) {
    Controls& c = *controls_;
    c.Command1.setVisible(shown);
    c.Command2.setVisible(shown);
    c.Command3.setVisible(shown);
}

void GameScreen::Command2_Click() {
    Controls& c = *controls_;
    showBoardButtons(false);
    for (int hole = 1; hole <= 9; ++hole)
        stagePicture(hole, 1).show();
    quitStep = 0;
    quitStepTime = services_.clock.stamp();
    c.Timer4.setInterval(100);
}

void GameScreen::Timer4_Timer() {
    Controls& c = *controls_;
    if (services_.clock.elapsedSince(quitStepTime) < 1.2)
        return;
    switch (quitStep) {
    case 0:
        quitStepTime = services_.clock.stamp();
        quitStep = 1;
        for (int hole = 1; hole <= 9; ++hole)
            stagePicture(hole, 2).show(); // in front of element 1, which stays shown
        break;
    case 1:
        play(data::EndSound);
        quitStepTime = services_.clock.stamp();
        quitStep = 2;
        for (int i = 1; i <= 9; ++i)
            c.Image14[i].show();
        break;
    default:
        c.Timer4.setInterval(0);
        navigation().unload(*this); // no screen is left, so the program ends
        break;
    }
}

void GameScreen::Command3_Click() {
    navigation().unload(*this);
    navigation().show(program::設定);
}
