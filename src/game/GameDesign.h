#pragma once

#include "forms/Design.h"

namespace design {

// The game screen as designed: every control, its place, picture and first visibility.
const Screen& gameScreen();

} // namespace design
