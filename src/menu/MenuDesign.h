#pragma once

#include "forms/Design.h"

namespace design {

// The menu as designed: every control, its place, picture and first visibility.
const Screen& menuScreen();

} // namespace design
