#pragma once

#include "core/WindowInfo.h"

// One window the user chose to hide from the broadcast. Equality and hashing take `id` alone,
// so a set holds one record per window whatever its title was when it was chosen.
struct ProtectedWindow {
    WindowId id = 0;
    QString title;
    QString appName;

    static ProtectedWindow from(const WindowInfo& info) {
        return {info.id, info.title, info.appName};
    }

    friend bool operator==(const ProtectedWindow& a, const ProtectedWindow& b) {
        return a.id == b.id;
    }
};

inline size_t qHash(const ProtectedWindow& window, size_t seed = 0) noexcept {
    return qHash(window.id, seed);
}

template <>
struct std::hash<ProtectedWindow> {
    size_t operator()(const ProtectedWindow& window) const noexcept { return qHash(window); }
};
