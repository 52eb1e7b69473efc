// A runtime header that reaches up to a screen.
#include "game/GameScreen.h"
