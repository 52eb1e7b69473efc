#pragma once

#include <QtGlobal>

#include <array>

namespace forms {

// A field array numbered 1..N, as the screens' per-hole and per-mole tables are.
// Storage has an element 0 that is never used.
template <class T, int N> class OneBased {
public:
    // An index outside 1 to N is a fault in the program: it stops at once, in every build.
    T& operator[](int index) {
        check(index);
        return items_[static_cast<std::size_t>(index)];
    }
    const T& operator[](int index) const {
        check(index);
        return items_[static_cast<std::size_t>(index)];
    }
    static constexpr int size() { return N; }
    void fill(const T& value) { items_.fill(value); }

private:
    static void check(int index) {
        if (index < 1 || index > N)
            qFatal("index %d of a table numbered 1 to %d", index, N);
    }
    std::array<T, N + 1> items_{};
};

} // namespace forms
