#pragma once

#include "forms/Design.h"
#include "forms/Form.h"
#include "forms/TimerService.h"
#include "forms/WavePlayer.h"

#include <functional>
#include <memory>

namespace design {

// Creates a screen's window and every control of its design: places, pictures, colours,
// fonts, first visibility, stacking and focus order. Timers start stopped.
std::unique_ptr<forms::Form> buildForm(const Screen& screen, forms::TimerService& timers,
                                       forms::WavePlayerFactory& players,
                                       std::function<void()> afterEvent);

} // namespace design
