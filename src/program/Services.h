#pragma once

#include "data/DataFolder.h"
#include "forms/Clock.h"
#include "forms/Random.h"
#include "forms/Reporter.h"
#include "forms/TimerService.h"
#include "forms/WavePlayer.h"

namespace program {

class Navigation;

// What a screen is given at construction: the real ones in the program, fakes in tests.
struct Services {
    forms::Clock& clock;
    forms::Random& random;
    forms::TimerService& timers;
    forms::WavePlayerFactory& players;
    const data::DataFolder& dataFolder;
    Navigation& navigation;
    forms::Reporter& reporter;
};

} // namespace program
