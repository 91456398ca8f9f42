#include "capture/publisher/VirtualCameraService.h"

#include "capture/publisher/FrameRenderer.h"
#include "capture/publisher/PublisherLogging.h"
#include "shared/FrameHandoff.h"
#include "shared/NotifyCenter.h"
#include "shared/SharedSurface.h"
#include "shared/SharedSurfacePool.h"

#include <QMetaObject>

namespace {

const QString kInactiveMessage = QStringLiteral("Virtual camera inactive");
const QString kActiveMessage = QStringLiteral("Virtual camera active");
const QString kPoolFailedMessage = QStringLiteral("Failed to create the shared frame pool");
const QString kBuffersFailedMessage = QStringLiteral("Failed to allocate pixel buffers");
const QString kCaptureUnavailableMessage =
    QStringLiteral("Screen capture unavailable — the X11 display could not be captured");

// The frame line is written for the first frame and then for one frame in this many.
constexpr std::uint64_t kDiagnosticInterval = 150;

}  // namespace

QString VirtualCameraService::rawValue(ExtensionStatus status) {
    switch (status) {
        case ExtensionStatus::inactive:
            return QStringLiteral("Inactive");
        case ExtensionStatus::active:
            return QStringLiteral("Active");
        case ExtensionStatus::failed:
            return QStringLiteral("Failed");
    }
    return {};
}

VirtualCameraService::PoolFactory VirtualCameraService::defaultPoolFactory() {
    return [] {
        return SharedSurfacePool::create(FrameHandoff::kFrameWidth, FrameHandoff::kFrameHeight,
                                         FrameHandoff::kPixelFormatBGRA);
    };
}

VirtualCameraService::VirtualCameraService(NotifyCenter& notifyCenter, PoolFactory poolFactory,
                                           QObject* parent)
    : QObject(parent)
    , m_notifyCenter(notifyCenter)
    , m_poolFactory(std::move(poolFactory))
    , m_statusMessage(kInactiveMessage)
    , m_renderer(std::make_unique<FrameRenderer>()) {}

VirtualCameraService::~VirtualCameraService() {
    // The capture thread must be gone by now (the screen manager is destroyed first); the lock
    // only makes a late frame wait instead of drawing into freed memory.
    std::lock_guard lock(m_ringMutex);
    m_accepting = false;
    m_pixelBuffers.clear();
    m_bufferPool.reset();
    if (m_notifyToken != -1) {
        m_notifyCenter.notify_cancel(m_notifyToken);
        m_notifyToken = -1;
    }
}

int VirtualCameraService::notifyToken() const {
    std::lock_guard lock(m_ringMutex);
    return m_notifyToken;
}

void VirtualCameraService::startPublishing() {
    if (m_isPublishing) {
        qCCritical(lcVirtualCamera, "startPublishing called but already publishing");
        return;
    }
    qCCritical(lcVirtualCamera, "[DIAG] startPublishing called");

    std::unique_ptr<SharedSurfacePool> pool = m_poolFactory ? m_poolFactory() : nullptr;
    if (!pool) {
        {
            std::lock_guard lock(m_ringMutex);
            m_bufferPool.reset();
        }
        failStart(kPoolFailedMessage);
        return;
    }
    std::vector<std::unique_ptr<SharedSurface>> surfaces;
    for (int i = 0; i < FrameHandoff::kRingSize; ++i) {
        if (std::unique_ptr<SharedSurface> surface = pool->createSurface()) {
            surfaces.push_back(std::move(surface));
        }
    }
    const bool complete = surfaces.size() == std::size_t(FrameHandoff::kRingSize);
    std::vector<std::unique_ptr<SharedSurface>> previous;
    {
        std::lock_guard lock(m_ringMutex);
        previous.swap(m_pixelBuffers);
        m_bufferPool = std::move(pool);
        m_pixelBuffers = std::move(surfaces);
        m_accepting = complete;
    }
    previous.clear();
    if (!complete) {
        failStart(kBuffersFailedMessage);
        return;
    }
    setIsPublishing(true);
    setExtensionStatus(ExtensionStatus::active);
    setStatusMessage(kActiveMessage);
    setLastError({});
    qCCritical(lcVirtualCamera, "[DIAG] Started publishing via CVPixelBuffer pool (%ld buffers)",
               long(FrameHandoff::kRingSize));
}

void VirtualCameraService::failStart(const QString& message) {
    setLastError(message);
    setExtensionStatus(ExtensionStatus::failed);
    setStatusMessage(message);
    qCCritical(lcVirtualCamera, "%s", qUtf8Printable(message));
}

void VirtualCameraService::stopPublishing() {
    if (!m_isPublishing) {
        return;
    }
    std::vector<std::unique_ptr<SharedSurface>> released;
    std::unique_ptr<SharedSurfacePool> pool;
    {
        // Waits for a frame being drawn: its surface is freed only after it is done.
        std::lock_guard lock(m_ringMutex);
        m_accepting = false;
        released.swap(m_pixelBuffers);
        pool = std::move(m_bufferPool);
        m_ringIndex = 0;
        m_frameCount = 0;
        if (m_notifyToken != -1) {
            // The state keeps the last identifier: the reader finds it stale once the surfaces go.
            m_notifyCenter.notify_cancel(m_notifyToken);
            m_notifyToken = -1;
        }
    }
    released.clear();
    pool.reset();

    setIsPublishing(false);
    updateCounters();
    setExtensionStatus(ExtensionStatus::inactive);
    setStatusMessage(kInactiveMessage);
    qCInfo(lcVirtualCamera, "Stopped publishing.");
}

void VirtualCameraService::reportCaptureFailure(const QString& localizedDescription) {
    setLastError(localizedDescription);
    setStatusMessage(kCaptureUnavailableMessage);
    qCCritical(lcVirtualCamera, "Screen capture failed: %s", qUtf8Printable(localizedDescription));
}

void VirtualCameraService::publish(const PixelBuffer& pixelBuffer) {
    if (!pixelBuffer.isValid()) {
        return;  // a frame without pixels has nothing to show; it is neither drawn nor counted
    }
    {
        std::lock_guard lock(m_ringMutex);
        if (!m_accepting || m_pixelBuffers.empty()) {
            return;
        }
        m_ringIndex = (m_ringIndex + 1) % int(m_pixelBuffers.size());
        SharedSurface* surface = m_pixelBuffers[std::size_t(m_ringIndex)].get();
        if (!surface) {
            return;
        }
        surface->beginWrite();
        m_renderer->render(pixelBuffer, surface->baseAddress(), surface->bytesPerRow(),
                           surface->width(), surface->height());
        surface->endWrite();

        const std::uint32_t surfaceId = surface->surfaceId();
        announce(surfaceId);
        ++m_frameCount;
        if (m_frameCount == 1 || m_frameCount % kDiagnosticInterval == 0) {
            qCCritical(lcVirtualCamera, "[DIAG] Published frame #%llu (src %ldx%ld) surfaceID=%u",
                       static_cast<unsigned long long>(m_frameCount), long(pixelBuffer.width),
                       long(pixelBuffer.height), surfaceId);
        }
    }
    scheduleCounterUpdate();
}

void VirtualCameraService::announce(std::uint32_t surfaceId) {
    if (m_notifyToken == -1) {
        int token = -1;
        const std::uint32_t status =
            m_notifyCenter.notify_register_check(FrameHandoff::kNotifyName, token);
        if (status == NotifyCenter::kStatusOK) {
            m_notifyToken = token;
            qCInfo(lcVirtualCamera, "Registered notify token for %s", FrameHandoff::kNotifyName);
        } else {
            m_notifyToken = -1;
            qCCritical(lcVirtualCamera, "Failed to register notify token for %s, status=%u",
                       FrameHandoff::kNotifyName, status);
        }
    }
    if (m_notifyToken == -1) {
        return;
    }
    m_notifyCenter.notify_set_state(m_notifyToken, std::uint64_t{surfaceId});
    m_notifyCenter.notify_post(FrameHandoff::kNotifyName);
}

void VirtualCameraService::scheduleCounterUpdate() {
    // One queued update at a time: the GUI reads the newest values when it runs.
    if (!m_counterUpdatePending.exchange(true)) {
        QMetaObject::invokeMethod(this, &VirtualCameraService::updateCounters,
                                  Qt::QueuedConnection);
    }
}

void VirtualCameraService::updateCounters() {
    m_counterUpdatePending.store(false);
    int ringIndex = 0;
    quint64 frameCount = 0;
    {
        std::lock_guard lock(m_ringMutex);
        ringIndex = m_ringIndex;
        frameCount = m_frameCount;
    }
    if (ringIndex != m_currentSurface) {
        m_currentSurface = ringIndex;
        Q_EMIT currentSurfaceChanged();
    }
    if (frameCount != m_publishedFrameCount) {
        m_publishedFrameCount = frameCount;
        Q_EMIT publishedFrameCountChanged();
    }
}

void VirtualCameraService::setIsPublishing(bool value) {
    if (m_isPublishing != value) {
        m_isPublishing = value;
        Q_EMIT isPublishingChanged();
    }
}

void VirtualCameraService::setStatusMessage(const QString& value) {
    if (m_statusMessage != value) {
        m_statusMessage = value;
        Q_EMIT statusMessageChanged();
    }
}

void VirtualCameraService::setLastError(const QString& value) {
    if (m_lastError != value) {
        m_lastError = value;
        Q_EMIT lastErrorChanged();
    }
}

void VirtualCameraService::setExtensionStatus(ExtensionStatus value) {
    if (m_extensionStatus != value) {
        m_extensionStatus = value;
        Q_EMIT extensionStatusChanged();
    }
}
