#include "FakeCaptureBackend.h"

FakeCaptureStream::~FakeCaptureStream() {
    stopCapture();
    const std::lock_guard lock(m_backend.mutex);
    m_backend.streams.removeAll(this);
}

void FakeCaptureStream::addStreamOutput(StreamOutput* output, StreamOutputType type) {
    m_outputs.append({output, type});
}

void FakeCaptureStream::startCapture() {
    if (m_backend.failStreamStart) {
        m_backend.failStreamStart();
    }
    m_running = true;
    ++m_backend.runningStreams;
}

void FakeCaptureStream::stopCapture() {
    if (m_running) {
        m_running = false;
        --m_backend.runningStreams;
    }
}

void FakeCaptureStream::push(const SampleBuffer& sample, StreamOutputType type) {
    for (const auto& [output, outputType] : m_outputs) {
        if (outputType == type) {
            output->stream(*this, sample, type);
        }
    }
}

ShareableContent FakeCaptureBackend::shareableContent() {
    if (failContent) {
        failContent();
    }
    return content;
}

std::unique_ptr<CaptureStream> FakeCaptureBackend::makeStream(
    const ContentFilter& filter, const StreamConfiguration& configuration,
    CaptureStreamDelegate* /*delegate*/) {
    auto stream = std::make_unique<FakeCaptureStream>(*this);
    const std::lock_guard lock(mutex);
    filters.append(filter);
    configurations.append(configuration);
    streams.append(stream.get());
    return stream;
}

QImage FakeCaptureBackend::captureImage(const ContentFilter& filter,
                                        const StreamConfiguration& configuration) {
    const std::lock_guard lock(mutex);
    filters.append(filter);
    configurations.append(configuration);
    return image;
}

FakeCaptureStream* FakeCaptureBackend::lastStream() {
    const std::lock_guard lock(mutex);
    return streams.isEmpty() ? nullptr : streams.last();
}
