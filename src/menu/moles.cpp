// The three background moles: a scheduler that re-draws every half second, and each
// mole's steps through peeking, up (sometimes with a hit), sinking and hidden.
#include "menu/MenuScreen.h"

#include "data/DataFolder.h"

#include <cmath>

void MenuScreen::resetMoleStates() {
    for (int i = 1; i <= 3; ++i)
        moleState[i] = 0;
}

void MenuScreen::startMoleTimer() {
    if (animationStopped == 0)
        controls_->Timer2.setInterval(500);
}

void MenuScreen::stopMoles() {
    Controls& c = *controls_;
    animationStopped = 1;
    c.Timer2.setInterval(0);
    for (int i = 1; i <= 3; ++i)
        c.Timer3[i].setInterval(0);
}

void MenuScreen::Timer2_Timer() {
    if (animationStopped != 0)
        return;
    forms::Random& random = services_.random;
    for (int i = 1; i <= 3; ++i) {
        random.reseed();
        showHit[i] = static_cast<Int>(std::floor(random.next() * 2));
    }
    PerMole<Int> stepInterval;
    for (int i = 1; i <= 3; ++i) {
        random.reseed();
        stepInterval[i] = static_cast<Int>(std::floor(random.next() * 400) + 300);
    }
    // Re-arming restarts each step timer: a drawn interval over 500 ms never fires.
    for (int i = 1; i <= 3; ++i)
        controls_->Timer3[i].setInterval(stepInterval[i]);
}

void MenuScreen::Timer3_Timer(int Index) {
    if (animationStopped != 0)
        return;
    Controls& c = *controls_;
    switch (moleState[Index]) {
    case 0:
        moleState[Index] = 1;
        molePicture(Index, 1).show();
        break;
    case 1:
        moleState[Index] = 2;
        molePicture(Index, 1).hide();
        molePicture(Index, 2).show();
        if (showHit[Index] == 1) {
            c.Image5[Index].show();
            c.MediaPlayer1.play(services_.dataFolder.path(data::HitSound));
        }
        break;
    case 2:
        c.Image5[Index].hide();
        moleState[Index] = 3;
        molePicture(Index, 2).hide();
        molePicture(Index, 3).show();
        break;
    case 3:
        moleState[Index] = 0;
        molePicture(Index, 3).hide();
        break;
    default:
        break;
    }
}
