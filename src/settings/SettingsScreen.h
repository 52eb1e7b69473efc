#pragma once

#include "forms/Slider.h"
#include "program/Screen.h"
#include "program/Services.h"

#include <QString>

#include <memory>

// The settings screen 設定: four sliders, one per level, saved to the settings file or
// left unsaved; either way the player returns to a freshly loaded game screen.
class SettingsScreen final : public program::Screen {
public:
    explicit SettingsScreen(const program::Services& services);

    void Form_Load() override;
    void Command1_Click(); // 設定中止: leave without saving
    void Command2_Click(); // 設定完了: save and leave

    QString settingsPath; // where 設定完了 saves

    struct Controls {
        forms::Slider& HScroll1; // TimeLevel
        forms::Slider& HScroll2; // SpeedLevel
        forms::Slider& HScroll3; // SizeLevel
        forms::Slider& HScroll4; // CountLevel
    };
    const Controls& controls() const { return *controls_; }

protected:
    std::unique_ptr<forms::Form> createForm() override;
    void bindControls(forms::Form& form) override;
    void releaseControls() override;

private:
    void returnToGame();

    program::Services services_;
    std::unique_ptr<Controls> controls_;
};
