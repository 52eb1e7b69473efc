#include "program/Screen.h"

#include "program/Navigation.h"

namespace program {

Screen::Screen(Navigation& navigation) : navigation_(navigation) {}

Screen::~Screen() = default;

void Screen::afterEvent() const {
    navigation_.afterEvent();
}

void Screen::load() {
    auto form = createForm();
    form->setOnClosedByFrame([this] { navigation_.unload(*this); });
    bindControls(*form);
    form_ = std::move(form);
    Form_Load();
}

void Screen::unload() {
    form_->shutDown();
    releaseControls();
    // The handler that unloads a screen may be running inside its window's event: the
    // window goes once that event is over.
    form_.release()->deleteLater();
}

} // namespace program
