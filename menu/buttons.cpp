// The menu's buttons: into the game, out of the program, and the how-to-play view.
#include "menu/MenuScreen.h"

#include "app/Navigation.h"
#include "app/Screens.h"

void MenuScreen::Command1_Click() {
    stopMoles();
    animationStopped = 1;
    navigation().unload(*this);
    navigation().show(ゲーム);
}

void MenuScreen::Command2_Click() {
    stopMoles();
    animationStopped = 1;
    navigation().unload(*this);
    navigation().endProgram();
}

void MenuScreen::Command3_Click() {
    Controls& c = *controls_;
    animationStopped = 1;
    stopMoles();
    c.Command1.hide();
    c.Command2.hide();
    c.Command3.hide();
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
    c.Timer2.setInterval(500);
    c.Command1.show();
    c.Command2.show();
    c.Command3.show();
}
