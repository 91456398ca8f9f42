#include "camera_extension/v4l2/V4L2LoopbackConnector.h"

#include "camera_extension/DeviceLog.h"
#include "camera_extension/v4l2/V4L2LoopbackOutput.h"

V4L2LoopbackConnector::V4L2LoopbackConnector(V4L2LoopbackOutput& output, V4L2LoopbackFinder finder,
                                             std::string explicitDevice, DeviceLog& log)
    : m_output(output)
    , m_finder(std::move(finder))
    , m_explicitDevice(std::move(explicitDevice))
    , m_log(log) {}

void V4L2LoopbackConnector::connect() {
    if (auto failed = m_output.takeFailedDevice()) {
        m_failed.insert(*failed);
    }
    if (m_output.isOpen()) {
        return;
    }
    std::erase_if(m_failed,
                  [](const std::string& path) { return !V4L2LoopbackFinder::canOpen(path); });
    if (std::vector<std::string> nodes = m_finder.videoNodes(); nodes != m_nodes) {
        m_nodes = std::move(nodes);
        m_lastingRejections.clear();  // a node number may now be another device
    }
    const V4L2LoopbackFinder::Finding finding =
        m_finder.find(m_explicitDevice, m_failed, m_lastingRejections);
    m_lastingRejections = finding.lastingRejections;
    logIfChanged(finding);
    if (finding.path && !m_output.open(*finding.path)) {
        m_failed.insert(*finding.path);  // the output logged why
    }
}

void V4L2LoopbackConnector::logIfChanged(const V4L2LoopbackFinder::Finding& finding) {
    if (m_lastFinding == finding) {
        return;
    }
    m_lastFinding = finding;
    for (const std::string& note : finding.notes) {
        // A device the user named and cannot have is an error; the scan's notes are information.
        if (m_explicitDevice.empty()) {
            m_log.info("%s", note.c_str());
        } else {
            m_log.error("%s", note.c_str());
        }
    }
}
