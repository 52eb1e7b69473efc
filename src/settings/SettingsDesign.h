#pragma once

#include "forms/Design.h"

namespace design {

// The settings screen as designed: every control, its place, picture and first visibility.
const Screen& settingsScreen();

} // namespace design
