#include "program/Navigation.h"

#include "program/Screen.h"

#include <QtGlobal>

#include <algorithm>

namespace program {
namespace {

const char* nameOf(ScreenName name) {
    switch (name) {
    case メニュー:
        return "メニュー";
    case ゲーム:
        return "ゲーム";
    case 設定:
        return "設定";
    }
    return "?";
}

} // namespace

Navigation::Navigation(std::function<void()> quit) : quit_(std::move(quit)) {}

void Navigation::add(ScreenName name, Screen& screen) {
    screens_.push_back(&screen);
    named_[name] = &screen;
}

void Navigation::show(ScreenName name) {
    const auto screen = named_.find(name);
    if (screen == named_.end())
        qFatal("no screen was added under the name %s", nameOf(name));
    show(*screen->second);
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

} // namespace program
