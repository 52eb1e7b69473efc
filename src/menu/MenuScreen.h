#pragma once

#include "forms/ControlArray.h"
#include "forms/Label.h"
#include "forms/OneBased.h"
#include "forms/PictureBox.h"
#include "forms/PictureButton.h"
#include "forms/Timer.h"
#include "program/Screen.h"
#include "program/Services.h"

#include <QString>

#include <cstdint>
#include <memory>

// The menu メニュー: the title spelled out one character at a time, three moles popping up
// behind the buttons, the how-to-play view, and the way into the game. Handlers are split
// over title.cpp, moles.cpp and buttons.cpp.
class MenuScreen final : public program::Screen {
public:
    explicit MenuScreen(const program::Services& services);

    void Form_Load() override;
    void Timer1_Timer();          // title, every 500 ms
    void Timer2_Timer();          // mole scheduler, every 500 ms
    void Timer3_Timer(int Index); // a mole's step
    void Command1_Click();        // ゲーム
    void Command2_Click();        // おわり
    void Command3_Click();        // 遊び方
    void Command4_Click();        // もどる

    using Int = std::int16_t;
    template <class T> using PerMole = forms::OneBased<T, 3>;

    Int titleStep = 0; // the next title character to show; 7 once all six are up
    PerMole<QString> moleImageName;
    PerMole<Int> moleState; // 0 hidden, 1 peeking, 2 fully up, 3 sinking
    PerMole<Int> showHit;   // 1: the mole shows its hit mark when it next comes up
    Int animationStopped = 0;

    struct Controls {
        forms::PictureButton& Command1;
        forms::PictureButton& Command2;
        forms::PictureButton& Command3;
        forms::PictureButton& Command4;
        forms::ControlArray<forms::PictureBox> Image1; // title characters
        forms::ControlArray<forms::PictureBox> Image5; // hit marks
        forms::PictureBox& Image6;                     // point-area explanation
        forms::PictureBox& Image7;                     // how-to-play text
        forms::Label& Label1;                          // the how-to-play backdrop
        forms::Timer& Timer1;
        forms::Timer& Timer2;
        forms::ControlArray<forms::Timer> Timer3;
        forms::WavePlayer& MediaPlayer1;
        PerMole<forms::ControlArray<forms::PictureBox>> moles; // by moleImageName
    };
    const Controls& controls() const { return *controls_; }

protected:
    std::unique_ptr<forms::Form> createForm() override;
    void bindControls(forms::Form& form) override;
    void releaseControls() override;

private:
    void resetMoleStates();
    void startMoleTimer();
    // Stops the scheduler and every mole where it stands, and keeps them stopped.
    void stopMoles();
    void showMenuButtons(bool shown);
    forms::PictureBox& molePicture(int mole, int element) const;

    program::Services services_;
    std::unique_ptr<Controls> controls_;
};
