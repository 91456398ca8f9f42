#pragma once

#include <optional>
#include <string>
#include <vector>

class DeviceLog;

// Finds the v4l2loopback node the camera writes to: the one named by the user, else the first
// /dev/videoN (in number order) whose driver is "v4l2 loopback" and that takes output. A
// loopback device already fed by another program offers capture only and is passed over.
class V4L2LoopbackFinder {
public:
    static constexpr char kLoopbackDriver[] = "v4l2 loopback";

    explicit V4L2LoopbackFinder(std::string directory = "/dev");

    // The directory's videoN nodes, video2 before video10.
    std::vector<std::string> videoNodes() const;

    // Why `path` cannot take the camera's frames, or nothing when it can.
    static std::optional<std::string> rejectionOf(const std::string& path);

    // The node to use, logging which one or why there is none. An explicit device is the only
    // one tried.
    std::optional<std::string> choose(const std::string& explicitDevice, DeviceLog& log) const;

private:
    std::string m_directory;
};
