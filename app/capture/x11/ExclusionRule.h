#pragma once

#include "capture/ContentFilter.h"
#include "core/WindowInfo.h"

#include <QSet>

// Which windows a picture leaves out: every window of `processIDs` (a window whose owner is not
// known yet counts as theirs, so a new window never leaks a frame), and `windows` by id, framed
// or not; `exceptingWindows` stay even when their application is left out.
struct ExclusionRule {
    QSet<qint32> processIDs;
    WindowIdSet windows;
    WindowIdSet exceptingWindows;

    static ExclusionRule from(const ContentFilter& filter);
};
