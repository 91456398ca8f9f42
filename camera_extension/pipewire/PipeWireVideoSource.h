#pragma once

#include "camera_extension/DaemonOutcome.h"
#include "camera_extension/FrameSink.h"

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

// The camera as a PipeWire video source node ("velarion-camera", "Velarion Camera",
// Video/Source, role Camera, 1920 × 1080 BGRA at 30/1). It drives its own graph cycles: each frame
// sent triggers one, in which the newest frame is copied into the buffer the consumer side hands
// out. Consumers are counted from the registry's links out of the node: a first consumer turns the
// stream to STREAMING, a second only adds a link. `clientStarted`/`clientStopped` are called on the
// PipeWire thread, once per link.
//
// When the connection to PipeWire is lost (PipeWire restarted), the node's links are gone: each
// counted consumer is reported stopped, `connectionChanged(false)` is called, and the source
// connects again after 0.2 s, doubling the wait up to 5 s between tries, then recreates the node
// and calls `connectionChanged(true)`. Both on the PipeWire thread.
class PipeWireVideoSource final : public FrameSink {
public:
    struct Callbacks {
        std::function<void()> clientStarted;
        std::function<void()> clientStopped;
        std::function<void(bool connected)> connectionChanged;
    };

    explicit PipeWireVideoSource(Callbacks callbacks);
    ~PipeWireVideoSource() override;
    PipeWireVideoSource(const PipeWireVideoSource&) = delete;
    PipeWireVideoSource& operator=(const PipeWireVideoSource&) = delete;

    // Connects to the session's PipeWire and creates the node.
    DaemonOutcome start(const std::vector<std::pair<std::string, std::string>>& extraProperties);
    void stop();

    int sendFrame(std::shared_ptr<CameraBuffer> frame, std::uint64_t hostTimeNs,
                  std::uint64_t durationNs) override;

    struct Private;

private:
    std::unique_ptr<Private> d;
};
