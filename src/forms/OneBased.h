#pragma once

#include <QtGlobal>

#include <array>

namespace forms {

// A field array numbered 1..N, as the screens' per-hole and per-mole tables are.
// Storage has an element 0 that is never used.
template <class T, int N> class OneBased {
public:
    T& operator[](int index) {
        Q_ASSERT_X(index >= 1 && index <= N, "OneBased", "index out of range");
        return items_[static_cast<std::size_t>(index)];
    }
    const T& operator[](int index) const {
        Q_ASSERT_X(index >= 1 && index <= N, "OneBased", "index out of range");
        return items_[static_cast<std::size_t>(index)];
    }
    static constexpr int size() { return N; }
    void fill(const T& value) { items_.fill(value); }

private:
    std::array<T, N + 1> items_{};
};

} // namespace forms
