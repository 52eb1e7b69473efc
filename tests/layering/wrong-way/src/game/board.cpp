// A screen that reaches into another screen, and one that keeps to its floor.
#include "menu/MenuScreen.h"
#include "program/Navigation.h"
#include "settings/Settings.h"
