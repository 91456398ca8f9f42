#include "camera_extension/v4l2/V4L2LoopbackFinder.h"

#include "camera_extension/v4l2/VideoNode.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

namespace {

// The number of a "videoN" name, or -1.
long nodeNumber(const std::string& name) {
    constexpr std::string_view kPrefix = "video";
    if (name.size() <= kPrefix.size() || name.compare(0, kPrefix.size(), kPrefix) != 0) {
        return -1;
    }
    const std::string digits = name.substr(kPrefix.size());
    if (digits.size() > 6 ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return -1;
    }
    return std::stol(digits);
}

}  // namespace

V4L2LoopbackFinder::V4L2LoopbackFinder(std::string directory)
    : m_directory(std::move(directory)) {}

std::vector<std::string> V4L2LoopbackFinder::videoNodes() const {
    std::vector<std::pair<long, std::string>> numbered;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(m_directory, error)) {
        const long number = nodeNumber(entry.path().filename().string());
        if (number >= 0) {
            numbered.emplace_back(number, entry.path().string());
        }
    }
    std::sort(numbered.begin(), numbered.end());
    std::vector<std::string> nodes;
    for (auto& [number, path] : numbered) {
        nodes.push_back(std::move(path));
    }
    return nodes;
}

V4L2LoopbackFinder::Verdict V4L2LoopbackFinder::examine(const std::string& path) {
    VideoNode node;
    if (const int error = node.open(path)) {
        return {std::string("cannot open it (") + std::strerror(error) + ")", false};
    }
    VideoNode::Capabilities capabilities;
    if (const int error = node.queryCapabilities(capabilities)) {
        return {std::string("not a video device (") + std::strerror(error) + ")", true};
    }
    if (capabilities.driver != kLoopbackDriver) {
        return {"its driver is \"" + capabilities.driver + "\", not \"" + kLoopbackDriver + "\"",
                true};
    }
    if (!capabilities.videoOutput) {
        // Freed again when the program feeding it stops.
        return {std::string("it offers no video output (another program may be feeding it)"),
                false};
    }
    return {};
}

std::optional<std::string> V4L2LoopbackFinder::rejectionOf(const std::string& path) {
    return examine(path).rejection;
}

bool V4L2LoopbackFinder::canOpen(const std::string& path) {
    VideoNode node;
    return node.open(path) == 0;
}

V4L2LoopbackFinder::Finding V4L2LoopbackFinder::find(
    const std::string& explicitDevice, const std::set<std::string>& excluded,
    const std::map<std::string, std::string>& known) const {
    Finding finding;
    if (!explicitDevice.empty()) {
        std::optional<std::string> rejection = rejectionOf(explicitDevice);
        if (!rejection && excluded.count(explicitDevice)) {
            rejection = "it failed and is tried again once it has gone away";
        }
        if (rejection) {
            finding.notes.push_back("v4l2loopback device " + explicitDevice +
                                    " cannot be used: " + *rejection);
        } else {
            finding.path = explicitDevice;
        }
        return finding;
    }
    const std::vector<std::string> nodes = videoNodes();
    if (nodes.empty()) {
        finding.notes.push_back("No v4l2loopback device: no video nodes in " + m_directory);
        return finding;
    }
    for (const std::string& path : nodes) {
        std::optional<std::string> rejection;
        if (const auto settled = known.find(path); settled != known.end()) {
            rejection = settled->second;
            finding.lastingRejections.insert(*settled);
        } else {
            Verdict verdict = examine(path);
            rejection = verdict.rejection;
            if (verdict.lasting) {
                finding.lastingRejections.emplace(path, *rejection);
            }
        }
        if (!rejection && excluded.count(path)) {
            rejection = "it failed and is tried again once it has gone away";
        }
        if (!rejection) {
            finding.path = path;
            return finding;
        }
        finding.notes.push_back("Skipping " + path + ": " + *rejection);
    }
    finding.notes.push_back("No v4l2loopback device with a free output among " +
                            std::to_string(nodes.size()) + " video nodes");
    return finding;
}
