// The board: building it when the screen loads, and clearing it before every round.
#include "game/GameScreen.h"

#include "data/DataFolder.h"
#include "forms/Twips.h"
#include "settings/Settings.h"

#include <cmath>

void GameScreen::Form_Load() {
    Controls& c = *controls_;

    for (int i = 1; i <= 9; ++i) {
        const QString number = QString::number(i);
        holeImageName[i] = QStringLiteral("image") + number.back();
        c.holes[i] = form()->controlArray<forms::PictureBox>(holeImageName[i]);
    }

    // Hit targets are centred on the eyes of a fully-out mole, above its hole.
    for (int r = 1; r <= 3; ++r)
        for (int col = 1; col <= 3; ++col) {
            const int i = (r - 1) * 3 + col;
            holeCentre[i].X = static_cast<Int>((col - 1) * 3000 + 1740);
            holeCentre[i].Y = static_cast<Int>((r - 1) * 1875 + 670);
        }

    settings::readIntoRecord(services_.dataFolder.settingsToRead(), services_.reporter);

    // The point-area setting sizes the clickable area round the eyes, not the mole.
    const Int W = static_cast<Int>((5 - SizeLevel) * 300 + 450);
    const Int H = static_cast<Int>((5 - SizeLevel) * 160 + 315);
    for (int i = 1; i <= 9; ++i) {
        const int left = holeCentre[i].X - static_cast<int>(std::floor(W / 2.0));
        const int top = holeCentre[i].Y - static_cast<int>(std::floor(H / 2.0));
        forms::placeTwips(c.Image13[i], left, top, W, H);
    }

    launchLimit = static_cast<Int>(CountLevel + 2);

    // Harder settings lower both marks; the round length plays no part.
    const int S = SpeedLevel + SizeLevel + CountLevel;
    highMark = static_cast<Int>(std::floor(-0.185 * S * S + 96.7));
    lowMark = static_cast<Int>(std::floor(-0.185 * S * S + 66.7));

    // Every sound of the screen is read now, whole: an effect must sound within a frame of
    // what causes it, and neither the round nor the results panel may wait for the disk.
    for (const char16_t* effect : {data::HitSound, data::MissSound, data::CountdownBeep,
                                   data::LastCountdownBeep, data::EndSound, data::CrowSound,
                                   data::ScarecrowSound, data::JizoSound, data::CrowFollowUpSound})
        c.MediaPlayer1.preload(services_.dataFolder.path(effect));
    c.MediaPlayer2.preload(services_.dataFolder.path(data::Music));

    resetRound();
}

void GameScreen::resetRound() {
    roundOver = 0;
    hitCount = 0;
    greenHits = 0;
    pinkHits = 0;
    blueHits = 0;
    moleCount = 0;
    for (int i = 1; i <= 9; ++i) {
        holeState[i] = 0;
        feintFlag[i] = 0;
        reappearFlag[i] = 0;
    }
    controls_->Image16.clearPicture();
}
