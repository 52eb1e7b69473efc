#pragma once

#include "app/Screen.h"

// The program's three screens, one instance each for the whole run. Screens reach each
// other only through these and the navigation.
extern app::Screen& メニュー;
extern app::Screen& ゲーム;
extern app::Screen& 設定;
