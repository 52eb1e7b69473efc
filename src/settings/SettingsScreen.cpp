#include "settings/SettingsScreen.h"

#include "data/DataFolder.h"
#include "forms/FormBuilder.h"
#include "program/Navigation.h"
#include "program/Screens.h"
#include "settings/Settings.h"
#include "settings/SettingsDesign.h"

SettingsScreen::SettingsScreen(const program::Services& services)
    : program::Screen(services.navigation), services_(services) {}

std::unique_ptr<forms::Form> SettingsScreen::createForm() {
    auto form = design::buildForm(design::settingsScreen(), services_.timers, services_.players,
                                  [this] { afterEvent(); });
    form->onClick(QStringLiteral("Command1"), 0, [this] { Command1_Click(); });
    form->onClick(QStringLiteral("Command2"), 0, [this] { Command2_Click(); });
    return form;
}

void SettingsScreen::bindControls(forms::Form& form) {
    controls_ = std::make_unique<Controls>(form.control<forms::Slider>(QStringLiteral("HScroll1")),
                                           form.control<forms::Slider>(QStringLiteral("HScroll2")),
                                           form.control<forms::Slider>(QStringLiteral("HScroll3")),
                                           form.control<forms::Slider>(QStringLiteral("HScroll4")));
}

void SettingsScreen::releaseControls() {
    controls_.reset();
}

void SettingsScreen::Form_Load() {
    settingsPath = services_.dataFolder.settingsToSave();
    settings::readIntoRecord(services_.dataFolder.settingsToRead(), services_.reporter);
    Controls& c = *controls_;
    c.HScroll1.setValue(TimeLevel);
    c.HScroll2.setValue(SpeedLevel);
    c.HScroll3.setValue(SizeLevel);
    c.HScroll4.setValue(CountLevel);
}

void SettingsScreen::Command1_Click() {
    returnToGame();
}

void SettingsScreen::Command2_Click() {
    const Controls& c = *controls_;
    const auto level = [](const forms::Slider& slider) {
        return static_cast<std::int16_t>(slider.value());
    };
    settings::setCurrent(
        {level(c.HScroll1), level(c.HScroll2), level(c.HScroll3), level(c.HScroll4)});
    services_.dataFolder.prepareSettingsFolder();
    if (const QString failure = settings::writeFile(settingsPath, settings::current());
        !failure.isEmpty()) {
        // Nothing was saved and the old file stands: the player stays here, sliders as set.
        services_.reporter.problem(failure);
        return;
    }
    returnToGame();
}

void SettingsScreen::returnToGame() {
    navigation().unload(*this);
    navigation().show(program::ゲーム);
}
