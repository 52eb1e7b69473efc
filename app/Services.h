#pragma once

#include "app/Reporter.h"
#include "forms/Clock.h"
#include "forms/Random.h"
#include "forms/TimerService.h"
#include "forms/WavePlayer.h"

namespace app {

class Navigation;

// What a screen is given at construction: the real ones in the program, fakes in tests.
struct Services {
    forms::Clock& clock;
    forms::Random& random;
    forms::TimerService& timers;
    forms::WavePlayerFactory& players;
    Navigation& navigation;
    Reporter& reporter;
};

} // namespace app
