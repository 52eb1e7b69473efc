#include "app/Navigation.h"

#include "app/Screen.h"

#include <algorithm>

namespace app {

Navigation::Navigation(std::function<void()> quit) : quit_(std::move(quit)) {}

void Navigation::add(Screen& screen) {
    screens_.push_back(&screen);
}

void Navigation::show(Screen& screen) {
    if (ended_)
        return;
    if (!screen.isLoaded())
        screen.load();
    screen.form()->showCentred();
}

void Navigation::unload(Screen& screen) {
    if (screen.isLoaded())
        screen.unload();
}

void Navigation::endProgram() {
    if (ended_)
        return;
    ended_ = true;
    for (Screen* screen : screens_)
        unload(*screen);
    quit_();
}

void Navigation::afterEvent() {
    if (!ended_ && loadedCount() == 0)
        endProgram();
}

int Navigation::loadedCount() const {
    return static_cast<int>(std::count_if(screens_.begin(), screens_.end(),
                                          [](const Screen* screen) { return screen->isLoaded(); }));
}

} // namespace app
