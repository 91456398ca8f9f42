#pragma once

#include "capture/PixelBuffer.h"

#include <QFuture>
#include <QImage>
#include <QMutex>
#include <QTest>

#include <gtest/gtest.h>

#include <atomic>
#include <ostream>
#include <thread>

// Lets failure messages stream Qt strings (found by argument-dependent lookup).
inline std::ostream& operator<<(std::ostream& os, const QString& text) {
    return os << text.toStdString();
}

// Waits, spinning the GUI event loop (continuations land there), until the future ends.
template <typename T>
bool finishes(const QFuture<T>& future, int timeoutMs = 20'000) {
    return QTest::qWaitFor([&] { return future.isFinished(); }, timeoutMs);
}

// A publisher that keeps a copy of the newest frame and where frames came from.
class RecordingSink final : public PixelBufferSink {
public:
    void publish(const PixelBuffer& pixelBuffer) override {
        const QMutexLocker lock(&m_mutex);
        m_lastData = pixelBuffer.data;
        m_lastThread = std::this_thread::get_id();
        m_frame = QImage(pixelBuffer.data, pixelBuffer.width, pixelBuffer.height,
                         pixelBuffer.bytesPerRow, QImage::Format_ARGB32)
                      .copy();
        ++m_frames;
    }

    int frames() const { return m_frames; }
    QImage frame() const {
        const QMutexLocker lock(&m_mutex);
        return m_frame;
    }
    const std::uint8_t* lastData() const {
        const QMutexLocker lock(&m_mutex);
        return m_lastData;
    }
    std::thread::id lastThread() const {
        const QMutexLocker lock(&m_mutex);
        return m_lastThread;
    }
    void reset() {
        const QMutexLocker lock(&m_mutex);
        m_frame = QImage();
        m_frames = 0;
    }

private:
    mutable QMutex m_mutex;
    QImage m_frame;
    const std::uint8_t* m_lastData = nullptr;
    std::thread::id m_lastThread;
    std::atomic<int> m_frames{0};
};
