#pragma once

#include "forms/Form.h"

#include <memory>

namespace program {

class Navigation;

// One of the program's screens. The object lives for the whole run, so its fields survive
// an unload; its window and controls exist only while it is loaded. Loading builds the
// window from the screen's design, then runs Form_Load.
class Screen {
public:
    explicit Screen(Navigation& navigation);
    virtual ~Screen();
    Screen(const Screen&) = delete;
    Screen& operator=(const Screen&) = delete;

    bool isLoaded() const { return form_ != nullptr; }
    forms::Form* form() const { return form_.get(); }

protected:
    Navigation& navigation() const { return navigation_; }

    // Builds the window and its controls and wires the handlers.
    virtual std::unique_ptr<forms::Form> createForm() = 0;
    // Takes hold of the controls of a freshly built window, and lets go of them at unload.
    virtual void bindControls(forms::Form& form) = 0;
    virtual void releaseControls() = 0;
    virtual void Form_Load() = 0;

    // The check every form runs after each of its handlers.
    void afterEvent() const;

private:
    friend class Navigation;
    void load();
    void unload();

    Navigation& navigation_;
    std::unique_ptr<forms::Form> form_;
};

} // namespace program
