#pragma once

#include "capture/ShareableContent.h"

#include <QList>

// What a stream or a still shows: one display, less every window of `excludedApplications` and
// less `excludedWindows`, but keeping `exceptingWindows` even when their application is excluded.
struct ContentFilter {
    ShareableDisplay display;
    QList<RunningApplication> excludedApplications;
    QList<WindowId> excludedWindows;
    QList<WindowId> exceptingWindows;

    static ContentFilter excludingApplications(const ShareableDisplay& display,
                                               const QList<RunningApplication>& applications,
                                               const QList<WindowId>& exceptingWindows) {
        return {display, applications, {}, exceptingWindows};
    }

    static ContentFilter excludingWindows(const ShareableDisplay& display,
                                          const QList<WindowId>& windows) {
        return {display, {}, windows, {}};
    }
};
