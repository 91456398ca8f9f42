#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

// Finds the v4l2loopback node the camera writes to: the one named by the user, else the first
// /dev/videoN (in number order) whose driver is "v4l2 loopback" and that takes output. A
// loopback device already fed by another program offers capture only and is passed over.
class V4L2LoopbackFinder {
public:
    static constexpr char kLoopbackDriver[] = "v4l2 loopback";

    struct Finding {
        std::optional<std::string> path;
        // Why the other nodes were passed over, or why there is none; lines for the log.
        std::vector<std::string> notes;
        // The nodes passed over for what does not change while they exist (another driver, not
        // a video device), with the reason.
        std::map<std::string, std::string> lastingRejections;
        bool operator==(const Finding&) const = default;
    };

    explicit V4L2LoopbackFinder(std::string directory = "/dev");

    // The directory's videoN nodes, video2 before video10.
    std::vector<std::string> videoNodes() const;

    // Why `path` cannot take the camera's frames, or nothing when it can.
    static std::optional<std::string> rejectionOf(const std::string& path);
    // Whether `path` opens at all (a device that went away does not).
    static bool canOpen(const std::string& path);

    // The node to use and the notes on the others. An explicit device is the only one tried;
    // `excluded` nodes are never chosen; `known` lasting rejections are taken as they are,
    // without opening those nodes again (a webcam is not woken up on every search).
    Finding find(const std::string& explicitDevice, const std::set<std::string>& excluded = {},
                 const std::map<std::string, std::string>& known = {}) const;

private:
    struct Verdict {
        std::optional<std::string> rejection;
        bool lasting = false;
    };
    static Verdict examine(const std::string& path);

    std::string m_directory;
};
