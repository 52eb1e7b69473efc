#pragma once

#include "dsp.h"

// Every sound of the game, rendered raw: main() gives each its final level
// and edge fades.
namespace wavgen {

// Feedback while playing.
Signal hitSound();  // a mole was whacked: wooden "poko!" with a bright ping
Signal missSound(); // the hammer hit nothing: a soft, dull buzz
Signal countdownBeeps(int count, double hz);
Signal endJingle(); // the game is over; the window closes about a second later

// Rating announcements, from worst to best.
Signal crowCaw();       // "kaa kaa"
Signal sadSlide();      // "no good": descending trombone-like slide
Signal soSoPhrase();    // a neutral little tune that shrugs
Signal brightFanfare(); // a fanfare with chimes

// The looping background tune. Its length is a whole number of bars and every
// note that rings past the end continues at the start, so it loops seamlessly.
Signal backgroundTune();

} // namespace wavgen
