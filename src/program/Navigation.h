#pragma once

#include "program/Screens.h"

#include <functional>
#include <map>
#include <vector>

namespace program {

class Screen;

// Moving between screens and ending the program. Every move unloads the old screen before
// showing the new one, and after every handler the program ends if no screen is loaded.
class Navigation {
public:
    // quit stops the event loop; nothing runs after it.
    explicit Navigation(std::function<void()> quit);

    // Registers a screen under its name; every screen is unloaded when the program ends.
    void add(ScreenName name, Screen& screen);
    void show(ScreenName name);
    void show(Screen& screen);
    void unload(Screen& screen);
    void endProgram();
    void afterEvent();

    bool ended() const { return ended_; }
    int loadedCount() const;

private:
    std::function<void()> quit_;
    std::vector<Screen*> screens_;
    std::map<ScreenName, Screen*> named_;
    bool ended_ = false;
};

} // namespace program
