#pragma once

#include <QtGlobal>

#include <vector>

namespace forms {

// A control array as the screens know it: elements numbered from 1, no element 0.
// It refers to controls owned elsewhere (by their form).
template <class T> class ControlArray {
public:
    ControlArray() = default;
    explicit ControlArray(std::vector<T*> elements) : elements_(std::move(elements)) {}

    // An element the array lacks is a fault in the program: it stops at once, in every build.
    T& operator[](int index) const {
        if (!contains(index))
            qFatal("element %d of a control array of %d", index, count());
        return *elements_[static_cast<std::size_t>(index - 1)];
    }
    int count() const { return static_cast<int>(elements_.size()); }
    bool contains(int index) const { return index >= 1 && index <= count(); }

    auto begin() const { return elements_.begin(); }
    auto end() const { return elements_.end(); }

private:
    std::vector<T*> elements_;
};

} // namespace forms
