// Clicks on the board during play: a hit on a mole that is out, or a miss.
#include "game/GameScreen.h"

#include "data/DataFolder.h"

namespace {
// The mole colours form a Latin square: one of each colour in every row and column.
enum class Colour { Green, Pink, Blue };
constexpr Colour colourOfHole[10] = {Colour::Green, // (no hole 0)
                                     Colour::Green, Colour::Pink,  Colour::Blue,
                                     Colour::Blue,  Colour::Green, Colour::Pink,
                                     Colour::Pink,  Colour::Blue,  Colour::Green};
} // namespace

void GameScreen::Image13_Click(int Index) {
    if (holeHit[Index] != 0)
        return; // one hit per appearance
    play(data::HitSound);
    controls_->Image10[Index].show();
    holeHit[Index] = 1;
    ++hitCount;
    switch (colourOfHole[Index]) {
    case Colour::Green:
        ++greenHits;
        break;
    case Colour::Pink:
        ++pinkHits;
        break;
    case Colour::Blue:
        ++blueHits;
        break;
    }
}

void GameScreen::Image12_Click() {
    play(data::MissSound);
}
