#include "capture/CaptureRelay.h"

#include "capture/ScreenManager.h"
#include "core/Console.h"

#include <QMetaObject>

void CaptureRelay::detach() {
    const std::lock_guard lock(m_mutex);
    m_manager = nullptr;
    m_sink = nullptr;
}

PixelBufferSink* CaptureRelay::sink() const {
    const std::lock_guard lock(m_mutex);
    return m_sink;
}

void CaptureRelay::setSink(PixelBufferSink* sink) {
    const std::lock_guard lock(m_mutex);
    m_sink = sink;
}

void CaptureRelay::publish(const PixelBuffer& pixelBuffer) {
    // Held for the whole hand-off: one capture thread, so there is no contention, and unsetting
    // the sink waits for the frame in flight.
    const std::lock_guard lock(m_mutex);
    if (m_manager && m_sink) {
        m_sink->publish(pixelBuffer);
    }
}

void CaptureRelay::streamDidStopWithError(CaptureStream& stream, const CaptureError& error) {
    Console::printLine(QStringLiteral("[ScreenManager] Stream stopped with error: ") +
                       error.description());
    const std::lock_guard lock(m_mutex);
    if (!m_manager) {
        return;
    }
    ScreenManager* manager = m_manager;
    const CaptureStream* dead = &stream;
    QMetaObject::invokeMethod(
        manager, [manager, dead] { manager->streamStoppedBySystem(dead); }, Qt::QueuedConnection);
}
