// The results panel's buttons: the rating figure with its sound, and the way back.
#include "game/GameScreen.h"

#include "data/DataFolder.h"
#include "forms/Reporter.h"

void GameScreen::Command4_Click() {
    Controls& c = *controls_;
    bool crow = false;
    const char16_t* picture = nullptr;
    const char16_t* sound = nullptr;
    if (hitRate <= lowMark) {
        picture = data::CrowPicture;
        sound = data::CrowSound;
        crow = true;
    }
    if (lowMark < hitRate && hitRate < highMark) {
        picture = data::ScarecrowPicture;
        sound = data::ScarecrowSound;
    }
    if (hitRate >= highMark) {
        picture = data::JizoPicture;
        sound = data::JizoSound;
    }
    play(sound);
    const QString picturePath = services_.dataFolder.path(picture);
    if (const QString why = c.Image16.loadPicture(picturePath); !why.isEmpty())
        forms::warn(QStringLiteral("cannot show %1: %2").arg(picturePath, why));
    if (crow) {
        // A second crow press before the follow-up sound postpones it.
        crowTime = services_.clock.stamp();
        c.Timer5.setInterval(100);
    }
}

void GameScreen::Timer5_Timer() {
    if (services_.clock.elapsedSince(crowTime) > 1) {
        controls_->Timer5.setInterval(0);
        play(data::CrowFollowUpSound);
    }
}

void GameScreen::Command5_Click() {
    controls_->Frame1.hide();
}
