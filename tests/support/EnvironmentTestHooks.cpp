#include "core/TestHooks.h"

#include <QtGlobal>

// The test suites' and the test copy's answers: one environment variable a hook, unset or empty
// meaning "not set".
std::optional<QString> TestHooks::value(Hook hook) {
    const char* variable = nullptr;
    switch (hook) {
        case Hook::openWindowsAtStart:
            variable = "VELARION_TEST_OPEN_WINDOWS";
            break;
        case Hook::updateFeedUrl:
            variable = "VELARION_TEST_FEED_URL";
            break;
        case Hook::toolsFolder:
            variable = "VELARION_TEST_TOOLS_DIR";
            break;
        case Hook::shieldsOnAtStart:
            variable = "VELARION_TEST_SHIELDS_ON_AT_START";
            break;
        case Hook::cameraLoopbackDevice:
            variable = "VELARION_TEST_V4L2_DEVICE";
            break;
    }
    const QString value = qEnvironmentVariable(variable);
    return value.isEmpty() ? std::nullopt : std::optional<QString>(value);
}
