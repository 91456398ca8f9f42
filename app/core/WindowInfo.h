#pragma once

#include <QHash>
#include <QSet>
#include <QString>
#include <QtGlobal>

#include <functional>

// The system's window number: an X11 window id on this platform.
using WindowId = quint32;
using WindowIdSet = QSet<WindowId>;

// One shareable window as offered in the window pickers. Identity (for lists) is `id`, but
// equality and hashing take every field: the same window with a new title is a new record.
struct WindowInfo {
    WindowId id = 0;
    QString title;
    QString appName;
    bool isOnScreen = false;

    friend bool operator==(const WindowInfo&, const WindowInfo&) = default;
};

inline size_t qHash(const WindowInfo& info, size_t seed = 0) noexcept {
    return qHashMulti(seed, info.id, info.title, info.appName, info.isOnScreen);
}

template <>
struct std::hash<WindowInfo> {
    size_t operator()(const WindowInfo& info) const noexcept { return qHash(info); }
};
