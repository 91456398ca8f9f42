#pragma once

#include "capture/CaptureBackend.h"

#include <QList>

#include <atomic>
#include <functional>
#include <mutex>

class FakeCaptureBackend;

// A stream that runs nowhere: the test pushes frames through it by hand.
class FakeCaptureStream final : public CaptureStream {
public:
    explicit FakeCaptureStream(FakeCaptureBackend& backend)
        : m_backend(backend) {}
    ~FakeCaptureStream() override;

    void addStreamOutput(StreamOutput* output, StreamOutputType type) override;
    void startCapture() override;
    void stopCapture() override;

    // Delivers a sample to every output as the capture thread would.
    void push(const SampleBuffer& sample, StreamOutputType type = StreamOutputType::screen);

private:
    FakeCaptureBackend& m_backend;
    QList<std::pair<StreamOutput*, StreamOutputType>> m_outputs;
    bool m_running = false;
};

// Stands in for the display server in the screen manager's tests: hands out the content it is
// given, records the filters and configurations asked for, and counts running streams.
class FakeCaptureBackend final : public CaptureBackend {
public:
    ShareableContent content;
    std::function<void()> failContent;      // throws when set
    std::function<void()> failStreamStart;  // throws when set
    QImage image{8, 8, QImage::Format_RGB32};

    std::mutex mutex;
    QList<ContentFilter> filters;
    QList<StreamConfiguration> configurations;
    QList<FakeCaptureStream*> streams;  // every stream alive
    std::atomic<int> runningStreams{0};

    ShareableContent shareableContent() override;
    std::unique_ptr<CaptureStream> makeStream(const ContentFilter& filter,
                                              const StreamConfiguration& configuration,
                                              CaptureStreamDelegate* delegate) override;
    QImage captureImage(const ContentFilter& filter,
                        const StreamConfiguration& configuration) override;

    FakeCaptureStream* lastStream();
};
