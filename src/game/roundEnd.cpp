// The end of a round: the time test, clearing the board, and the results panel.
#include "game/GameScreen.h"

#include "settings/Settings.h"

#include <cmath>

bool GameScreen::roundTimeIsUp() const {
    return services_.clock.elapsedSince(roundStartTime) > TimeLevel * 30;
}

void GameScreen::endRound() {
    Controls& c = *controls_;
    c.MediaPlayer2.play(QString());
    roundOver = 1;
    c.Timer1.setInterval(0);
    c.Image12.hide();
    for (int i = 1; i <= 9; ++i)
        c.Timer2[i].setInterval(0);
    hideAllStagePictures();
    for (int i = 1; i <= 9; ++i) {
        c.Image10[i].hide();
        c.Image13[i].hide();
    }
    showBoardButtons(true);
    showResults();
}

void GameScreen::showResults() {
    Controls& c = *controls_;
    // A round in which no mole came out has nothing to divide by: its rate is 0.
    hitRate =
        moleCount == 0
            ? Int{0}
            : static_cast<Int>(std::floor(static_cast<double>(hitCount) / moleCount * 100 + 0.5));
    c.Frame1.show();
    c.Label2.setCaption(QString::number(hitCount));
    c.Label3.setCaption(QString::number(greenHits));
    c.Label4.setCaption(QString::number(pinkHits));
    c.Label5.setCaption(QString::number(blueHits));
    c.Label6.setCaption(QString::number(hitRate));
}
