#include "capture/x11/ExclusionRule.h"

ExclusionRule ExclusionRule::from(const ContentFilter& filter) {
    ExclusionRule rule;
    for (const RunningApplication& application : filter.excludedApplications) {
        rule.processIDs.insert(application.processID);
    }
    rule.windows = WindowIdSet(filter.excludedWindows.cbegin(), filter.excludedWindows.cend());
    rule.exceptingWindows =
        WindowIdSet(filter.exceptingWindows.cbegin(), filter.exceptingWindows.cend());
    return rule;
}
