#pragma once

#include "core/WindowInfo.h"

#include <QList>
#include <QRect>
#include <QString>

#include <optional>

// A running application that owns windows: one process.
struct RunningApplication {
    qint32 processID = 0;
    QString applicationName;

    friend bool operator==(const RunningApplication&, const RunningApplication&) = default;
};

// A display the capture can show. `width` and `height` are in points; `scaleFactor` pixels make
// one point, so the display's native pixel size is their product. `frame` is where the display
// lies on the desktop, in pixels.
struct ShareableDisplay {
    quint32 displayID = 0;
    int width = 0;
    int height = 0;
    int scaleFactor = 1;
    QRect frame;

    int pixelWidth() const { return width * scaleFactor; }
    int pixelHeight() const { return height * scaleFactor; }

    friend bool operator==(const ShareableDisplay&, const ShareableDisplay&) = default;
};

// A window the capture can show or leave out. `frame` is its outer frame (window-manager
// decorations included) in points; `title` is absent when the window has none.
struct ShareableWindow {
    WindowId windowID = 0;
    std::optional<QString> title;
    QRect frame;
    bool isOnScreen = false;
    std::optional<RunningApplication> owningApplication;

    friend bool operator==(const ShareableWindow&, const ShareableWindow&) = default;
};

// What the display server offers for capture at one moment. Windows are front to back.
struct ShareableContent {
    QList<ShareableDisplay> displays;
    QList<ShareableWindow> windows;
    QList<RunningApplication> applications;
};
