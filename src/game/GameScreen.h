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

// The game screen ゲーム: the board of nine holes, a round from countdown to results, the
// rating figure, and the closing sequence. Its handlers are split by concern over
// board.cpp, countdown.cpp, moleCycle.cpp, hits.cpp, roundEnd.cpp, rating.cpp and
// boardButtons.cpp.
class GameScreen final : public program::Screen {
public:
    explicit GameScreen(const program::Services& services);

    // Event handlers.
    void Form_Load() override;
    void Command1_Click();         // スタート: start a round
    void Command2_Click();         // おわり: the closing sequence
    void Command3_Click();         // 設定: leave for the settings screen
    void Command4_Click();         // 判定: show the rating figure
    void Command5_Click();         // もどる: hide the results panel
    void Timer1_Timer();           // once a second: round clock and hole scheduling
    void Timer2_Timer(int Index);  // a hole's stage tick
    void Timer3_Timer();           // countdown
    void Timer4_Timer();           // closing sequence
    void Timer5_Timer();           // the crow's follow-up sound
    void Image13_Click(int Index); // a hit
    void Image12_Click();          // a miss

    struct Point {
        std::int16_t X = 0;
        std::int16_t Y = 0;
    };
    using Int = std::int16_t;
    using Long = std::int32_t;
    template <class T> using PerHole = forms::OneBased<T, 9>;

    // The screen's fields. They outlive the window, and the results panel and the rating
    // read the last round's values from them.
    PerHole<QString> holeImageName;
    PerHole<Int> holeState; // 0 hidden, 1 peeking, 2 out (hittable), 3 sinking
    Long countdownTime = 0;
    Long roundStartTime = 0;
    Long quitStepTime = 0;
    Long crowTime = 0;
    Int countdownStep = 0;
    PerHole<Point> holeCentre; // centre of each hole's hit target, twips
    PerHole<Int> holeHit;      // 1: the mole now out has been hit already
    Int launchLimit = 0;
    PerHole<Int> feintFlag;    // 1: from peeking straight to sinking
    PerHole<Int> reappearFlag; // 1: from sinking back out again
    Int roundOver = 0;
    Int quitStep = 0;
    Int moleCount = 0; // times a mole became hittable this round
    Int hitCount = 0;
    Int greenHits = 0;
    Int pinkHits = 0;
    Int blueHits = 0;
    Int hitRate = 0;
    Int highMark = 0; // at or above: the jizo statue
    Int lowMark = 0;  // at or below: the crow

    // The controls, while the screen is loaded.
    struct Controls;
    const Controls& controls() const { return *controls_; }

protected:
    std::unique_ptr<forms::Form> createForm() override;
    void bindControls(forms::Form& form) override;
    void releaseControls() override;

private:
    void resetRound();
    void startPlay();
    bool roundTimeIsUp() const;
    void endRound();
    void showResults();
    void hideAllStagePictures();
    void showBoardButtons(bool shown);
    forms::PictureBox& stagePicture(int hole, int element) const;
    void play(const char16_t* relativePath);

    program::Services services_;
    std::unique_ptr<Controls> controls_;
};

struct GameScreen::Controls {
    forms::PictureButton& Command1;
    forms::PictureButton& Command2;
    forms::PictureButton& Command3;
    forms::PictureButton& Command4;
    forms::PictureButton& Command5;
    forms::ControlArray<forms::PictureBox> Image10; // hit marks
    forms::ControlArray<forms::PictureBox> Image11; // countdown numerals
    forms::PictureBox& Image12;                     // the miss area
    forms::ControlArray<forms::PictureBox> Image13; // hit targets
    forms::ControlArray<forms::PictureBox> Image14; // open mouths
    forms::PictureBox& Image15;                     // results table
    forms::PictureBox& Image16;                     // rating figure
    forms::Frame& Frame1;                           // results panel
    forms::Label& Label1;
    forms::Label& Label2;
    forms::Label& Label3;
    forms::Label& Label4;
    forms::Label& Label5;
    forms::Label& Label6;
    forms::Timer& Timer1;
    forms::ControlArray<forms::Timer> Timer2;
    forms::Timer& Timer3;
    forms::Timer& Timer4;
    forms::Timer& Timer5;
    forms::WavePlayer& MediaPlayer1; // effects
    forms::WavePlayer& MediaPlayer2; // music
    // Each hole's stage pictures, found by the names in holeImageName.
    forms::OneBased<forms::ControlArray<forms::PictureBox>, 9> holes;
};
