// The mole cycle: once a second the scheduling tick decides which holes run and how, and
// each hole's stage timer moves its mole through hidden, peeking, out and sinking.
#include "game/GameScreen.h"

#include "settings/Settings.h"

#include <cmath>

namespace {
int drawBelow(forms::Random& random, int n) {
    return static_cast<int>(std::floor(random.next() * n));
}
} // namespace

void GameScreen::Timer1_Timer() {
    if (roundTimeIsUp()) {
        endRound();
        return;
    }
    Controls& c = *controls_;
    Int picked = 0;
    services_.random.reseed();
    for (int i = 1; i <= 9; ++i) {
        if (drawBelow(services_.random, 4) != 1) {
            // Not picked: the hole freezes at the stage it has reached.
            feintFlag[i] = 0;
            reappearFlag[i] = 0;
            c.Timer2[i].setInterval(0);
            continue;
        }
        ++picked;
        // The hole that reaches the limit, and every hole after it, run on unchanged.
        if (picked >= launchLimit)
            return;
        if (holeState[i] == 2) {
            feintFlag[i] = 0;
        } else if (drawBelow(services_.random, 6) == 1) {
            feintFlag[i] = 1;
        } else {
            feintFlag[i] = 0;
            reappearFlag[i] = drawBelow(services_.random, 6) <= 4 ? 1 : 0;
        }
        const int interval = drawBelow(services_.random, 300) + (6 - SpeedLevel) * 300;
        c.Timer2[i].setInterval(interval);
    }
}

void GameScreen::Timer2_Timer(int Index) {
    Controls& c = *controls_;
    if (roundOver != 0) {
        hideAllStagePictures();
        return;
    }
    const int i = Index;
    auto showStage = [&](Int stage) {
        holeState[i] = stage;
        stagePicture(i, 1).setVisible(stage == 1);
        stagePicture(i, 2).setVisible(stage == 2);
        stagePicture(i, 3).setVisible(stage == 3);
    };
    auto comeOut = [&] {
        showStage(2);
        c.Image13[i].show();
    };
    auto sink = [&] {
        showStage(3);
        c.Image13[i].hide();
        c.Image10[i].hide();
        holeHit[i] = 0;
    };
    switch (holeState[i]) {
    case 0:
        showStage(1);
        holeHit[i] = 0;
        break;
    case 1:
        if (feintFlag[i] == 0) {
            comeOut();
            ++moleCount;
        } else {
            sink(); // a feint: never hittable this time
        }
        break;
    case 2:
        sink();
        break;
    case 3:
        if (reappearFlag[i] != 0) {
            comeOut();
            holeHit[i] = 0; // a new mole, to be hit anew
            ++moleCount;
        } else {
            showStage(0);
        }
        break;
    default:
        break;
    }
}

void GameScreen::hideAllStagePictures() {
    for (int hole = 1; hole <= 9; ++hole)
        for (int element = 1; element <= 3; ++element)
            stagePicture(hole, element).hide();
}
