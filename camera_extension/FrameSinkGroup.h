#pragma once

#include "camera_extension/FrameSink.h"

#include <vector>

// Hands every frame to several sinks in the order they were added (the PipeWire node first: it
// only queues the frame for its own thread, so a slower sink after it does not delay it). Sinks
// are added before frames flow and outlive the group.
class FrameSinkGroup final : public FrameSink {
public:
    void add(FrameSink& sink) { m_sinks.push_back(&sink); }

    // The first sink's failure, if any; every sink gets the frame regardless.
    int sendFrame(std::shared_ptr<CameraBuffer> frame, std::uint64_t hostTimeNs,
                  std::uint64_t durationNs) override;

private:
    std::vector<FrameSink*> m_sinks;
};
