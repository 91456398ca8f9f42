#pragma once

#include <QString>

#include <optional>

// The few questions only a test asks of the running program: which windows to open at start, a
// private update feed, a folder of stand-in tools, shields on at start, the loopback device for
// the camera daemon.
//
// Two definitions exist and neither is part of a library: the shipped programs link
// NoTestHooks.cpp, which answers nothing; the test suites and the test copy of the application
// link the one under tests/support, which reads its answers from the environment. An executable
// that links neither fails to link, so a shipped program cannot pick up the test answers by
// accident. Thread-safe; cheap enough to ask once where the answer is used.
namespace TestHooks {

enum class Hook {
    // Window identifiers, comma-separated, opened right after start.
    openWindowsAtStart,
    // The update feed's URL instead of the product's.
    updateFeedUrl,
    // The only folder tools are looked up in.
    toolsFolder,
    // "1": the desktop and notification shields are switched on right after start.
    shieldsOnAtStart,
    // The daemon's --v4l2-device argument, "none" for no loopback output.
    cameraLoopbackDevice,
};

// Empty when the hook is not set (always, in a shipped program).
std::optional<QString> value(Hook hook);

}  // namespace TestHooks
