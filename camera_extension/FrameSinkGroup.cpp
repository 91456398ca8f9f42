#include "camera_extension/FrameSinkGroup.h"

int FrameSinkGroup::sendFrame(std::shared_ptr<CameraBuffer> frame, std::uint64_t hostTimeNs,
                              std::uint64_t durationNs) {
    int firstError = 0;
    for (FrameSink* sink : m_sinks) {
        const int error = sink->sendFrame(frame, hostTimeNs, durationNs);
        if (error != 0 && firstError == 0) {
            firstError = error;
        }
    }
    return firstError;
}
