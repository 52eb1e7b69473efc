// The menu's buttons: into the game, out of the program, and the how-to-play view.
#include "menu/MenuScreen.h"

#include "program/Navigation.h"
#include "program/Screens.h"

// ゲーム, おわり and 遊び方 go together: hidden while the how-to-play view is up.
void MenuScreen::showMenuButtons(bool shown) {
    Controls& c = *controls_;
    c.Command1.setVisible(shown);
    c.Command2.setVisible(shown);
    c.Command3.setVisible(shown);
}

void MenuScreen::Command1_Click() {
    stopMoles();
    navigation().unload(*this);
    navigation().show(program::ゲーム);
}

void MenuScreen::Command2_Click() {
    stopMoles();
    navigation().unload(*this);
    navigation().endProgram();
}

void MenuScreen::Command3_Click() {
    Controls& c = *controls_;
    stopMoles();
    showMenuButtons(false);
    c.Label1.show();
    c.Image7.show();
    c.Image6.show();
    c.Command4.show();
}

void MenuScreen::Command4_Click() {
    Controls& c = *controls_;
    c.Label1.hide();
    c.Image7.hide();
    c.Image6.hide();
    c.Command4.hide();
    animationStopped = 0;
    startMoleTimer();
    showMenuButtons(true);
}
