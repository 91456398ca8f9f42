#pragma once

#include "camera_extension/v4l2/V4L2LoopbackFinder.h"

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

class DeviceLog;
class V4L2LoopbackOutput;

// Keeps the camera's v4l2loopback output connected: every connect() (at start, then every few
// seconds) opens a device when none is open, so a module loaded or a device freed later is picked
// up. A device whose writes failed, or that refused the camera's format, is not tried again until
// it has been seen gone. Nodes of other drivers are opened again only when the set of video
// nodes changes. What the search finds is logged only when it changes: a machine without a
// loopback device gets one line, not one every few seconds. Control thread only.
class V4L2LoopbackConnector {
public:
    V4L2LoopbackConnector(V4L2LoopbackOutput& output, V4L2LoopbackFinder finder,
                          std::string explicitDevice, DeviceLog& log);

    void connect();

private:
    void logIfChanged(const V4L2LoopbackFinder::Finding& finding);

    V4L2LoopbackOutput& m_output;
    V4L2LoopbackFinder m_finder;
    std::string m_explicitDevice;
    DeviceLog& m_log;
    std::set<std::string> m_failed;
    std::vector<std::string> m_nodes;
    std::map<std::string, std::string> m_lastingRejections;
    std::optional<V4L2LoopbackFinder::Finding> m_lastFinding;
};
