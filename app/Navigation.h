#pragma once

#include <functional>
#include <vector>

namespace app {

class Screen;

// Moving between screens and ending the program. Every move unloads the old screen before
// showing the new one, and after every handler the program ends if no screen is loaded.
class Navigation {
public:
    // quit stops the event loop; nothing runs after it.
    explicit Navigation(std::function<void()> quit);

    void add(Screen& screen);
    void show(Screen& screen);
    void unload(Screen& screen);
    void endProgram();
    void afterEvent();

    bool ended() const { return ended_; }
    int loadedCount() const;

private:
    std::function<void()> quit_;
    std::vector<Screen*> screens_;
    bool ended_ = false;
};

} // namespace app
