#pragma once

#include "capture/PixelBuffer.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

class FrameRenderer;
class NotifyCenter;
class SharedSurface;
class SharedSurfacePool;

// The application's side of the broadcast camera. While publishing it owns a ring of three shared
// 1920 × 1080 'BGRA' surfaces; every captured frame is drawn into the next one and its identifier
// is announced on the hand-off's notify channel for the camera daemon.
//
// Threads: the commands and every property live on the GUI thread. publish() runs on the capture
// thread (from any number of threads at once). One mutex guards the ring for the whole of a frame,
// so the ring advances by exactly one surface per published frame and a stop waits for the frame
// being drawn instead of freeing its surface under it. The frame counters reach the properties by
// a queued call on the GUI thread.
class VirtualCameraService final : public QObject, public PixelBufferSink {
    Q_OBJECT
    Q_PROPERTY(bool isPublishing READ isPublishing NOTIFY isPublishingChanged)
    Q_PROPERTY(QString statusMessage READ statusMessage NOTIFY statusMessageChanged)
    Q_PROPERTY(QString lastError READ lastError NOTIFY lastErrorChanged)
    Q_PROPERTY(ExtensionStatus extensionStatus READ extensionStatus NOTIFY extensionStatusChanged)
    Q_PROPERTY(int currentSurface READ currentSurface NOTIFY currentSurfaceChanged)
    Q_PROPERTY(
        quint64 publishedFrameCount READ publishedFrameCount NOTIFY publishedFrameCountChanged)

public:
    enum class ExtensionStatus { inactive, active, failed };
    Q_ENUM(ExtensionStatus)
    // "Inactive", "Active", "Failed".
    static QString rawValue(ExtensionStatus status);

    // Makes the pool the ring comes from; nothing stands for a pool that could not be created.
    using PoolFactory = std::function<std::unique_ptr<SharedSurfacePool>()>;
    static PoolFactory defaultPoolFactory();

    explicit VirtualCameraService(NotifyCenter& notifyCenter,
                                  PoolFactory poolFactory = defaultPoolFactory(),
                                  QObject* parent = nullptr);
    ~VirtualCameraService() override;

    bool isPublishing() const { return m_isPublishing; }
    QString statusMessage() const { return m_statusMessage; }
    // Why the last start or capture failed; empty when nothing failed since the last start.
    QString lastError() const { return m_lastError; }
    ExtensionStatus extensionStatus() const { return m_extensionStatus; }
    int currentSurface() const { return m_currentSurface; }
    quint64 publishedFrameCount() const { return m_publishedFrameCount; }
    // The publisher's notify token, -1 while not registered. Thread-safe.
    int notifyToken() const;

    void startPublishing();
    void stopPublishing();
    void reportCaptureFailure(const QString& localizedDescription);

    // Capture thread: draws and announces one frame; returns at once while not publishing.
    void publish(const PixelBuffer& pixelBuffer) override;

Q_SIGNALS:
    void isPublishingChanged();
    void statusMessageChanged();
    void lastErrorChanged();
    void extensionStatusChanged();
    void currentSurfaceChanged();
    void publishedFrameCountChanged();

private:
    void failStart(const QString& message);
    void announce(std::uint32_t surfaceId);  // with m_ringMutex held
    void scheduleCounterUpdate();
    void updateCounters();

    void setIsPublishing(bool value);
    void setStatusMessage(const QString& value);
    void setLastError(const QString& value);
    void setExtensionStatus(ExtensionStatus value);

    NotifyCenter& m_notifyCenter;
    PoolFactory m_poolFactory;

    // GUI-thread mirrors seen by the views.
    bool m_isPublishing = false;
    QString m_statusMessage;
    QString m_lastError;
    ExtensionStatus m_extensionStatus = ExtensionStatus::inactive;
    int m_currentSurface = 0;
    quint64 m_publishedFrameCount = 0;

    // The ring, shared with the capture thread.
    mutable std::mutex m_ringMutex;
    bool m_accepting = false;
    std::unique_ptr<SharedSurfacePool> m_bufferPool;
    std::vector<std::unique_ptr<SharedSurface>> m_pixelBuffers;
    int m_ringIndex = 0;
    std::uint64_t m_frameCount = 0;
    int m_notifyToken = -1;
    // Keeps its scaling tables and row buffers from frame to frame; used under m_ringMutex.
    std::unique_ptr<FrameRenderer> m_renderer;

    std::atomic<bool> m_counterUpdatePending{false};
};
