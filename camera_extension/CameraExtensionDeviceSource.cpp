#include "camera_extension/CameraExtensionDeviceSource.h"

#include "camera_extension/CameraExtensionStreamSource.h"
#include "camera_extension/CameraIdentity.h"
#include "camera_extension/DeviceLog.h"
#include "camera_extension/FrameSink.h"
#include "shared/FrameCopy.h"
#include "shared/FrameHandoff.h"
#include "shared/NotifyCenter.h"
#include "shared/SurfaceReader.h"

#include <cerrno>
#include <cstring>
#include <ctime>

namespace {

// Throttled lines appear on the first tick and on every 150th (every five seconds at 30 fps).
constexpr std::uint64_t kDiagnosticInterval = 150;
// Enough for one frame being filled, one queued in the sink and one spare.
constexpr int kPoolBuffers = 4;

// The status logged when every pool buffer is in use.
constexpr int kPoolExhaustedStatus = ENOBUFS;

constexpr std::chrono::nanoseconds kFramePeriod{1'000'000'000 / FrameHandoff::kFramesPerSecond};
constexpr std::uint64_t kFrameDurationNs = 1'000'000'000ull / FrameHandoff::kFramesPerSecond;

}  // namespace

const char* CameraExtensionDeviceSource::rawValue(FrameSource source) {
    switch (source) {
        case FrameSource::live:
            return "live";
        case FrameSource::noProducer:
            return "noProducer";
        case FrameSource::attachFailed:
            return "attachFailed";
    }
    return "";
}

CameraExtensionDeviceSource::TimerFactory CameraExtensionDeviceSource::threadTimerFactory() {
    return [](std::chrono::nanoseconds period, std::function<void()> tick) {
        return std::make_unique<ThreadFrameTimer>(period, std::move(tick));
    };
}

CameraExtensionDeviceSource::PoolFactory CameraExtensionDeviceSource::defaultPoolFactory() {
    return [] {
        return std::make_unique<CameraBufferPool>(FrameHandoff::kFrameWidth,
                                                  FrameHandoff::kFrameHeight,
                                                  FrameHandoff::kPixelFormatBGRA, kPoolBuffers);
    };
}

CameraExtensionDeviceSource::HostClock CameraExtensionDeviceSource::monotonicHostClock() {
    return [] {
        struct timespec now {};
        ::clock_gettime(CLOCK_MONOTONIC, &now);
        return std::uint64_t(now.tv_sec) * 1'000'000'000ull + std::uint64_t(now.tv_nsec);
    };
}

CameraExtensionDeviceSource::CameraExtensionDeviceSource(const std::string& localizedName,
                                                         Environment environment)
    : m_localizedName(localizedName)
    , m_log(environment.log)
    , m_notifyCenter(environment.notifyCenter)
    , m_timerFactory(std::move(environment.timerFactory))
    , m_hostClock(std::move(environment.hostClock))
    , m_surfaceReader(std::make_unique<SurfaceReader>()) {
    if (environment.poolFactory) {
        m_bufferPool = environment.poolFactory();
    }
    const CameraExtensionStreamSource::StreamFormat format{
        FrameHandoff::kPixelFormatBGRA, FrameHandoff::kFrameWidth,
        FrameHandoff::kFrameHeight,     1,
        FrameHandoff::kFramesPerSecond, 1,
        FrameHandoff::kFramesPerSecond};
    m_streamSource = std::make_unique<CameraExtensionStreamSource>(
        CameraIdentity::kStreamName, CameraIdentity::kStreamUUID, format, *this);
    registerNotifyToken();
    m_log.info("CameraExtension initialized %ldx%ld @%ldfps format=BGRA transport=notify",
               long(FrameHandoff::kFrameWidth), long(FrameHandoff::kFrameHeight),
               long(FrameHandoff::kFramesPerSecond));
}

CameraExtensionDeviceSource::~CameraExtensionDeviceSource() {
    if (m_frameTimer) {
        m_frameTimer->cancel();
        m_frameTimer.reset();
    }
    if (m_notifyToken != -1) {
        m_notifyCenter.notify_cancel(m_notifyToken);
    }
}

std::set<CameraExtensionDeviceSource::DeviceProperty>
CameraExtensionDeviceSource::availableProperties() const {
    return {DeviceProperty::transportType, DeviceProperty::model};
}

CameraExtensionDeviceSource::DeviceProperties CameraExtensionDeviceSource::deviceProperties(
    const std::set<DeviceProperty>& properties) const {
    DeviceProperties answer;
    if (properties.count(DeviceProperty::transportType)) {
        answer.transportType = CameraIdentity::kTransportVirtual;
    }
    if (properties.count(DeviceProperty::model)) {
        answer.model = CameraIdentity::kDeviceModel;
    }
    return answer;
}

void CameraExtensionDeviceSource::registerNotifyToken() {
    const std::uint32_t status =
        m_notifyCenter.notify_register_check(FrameHandoff::kNotifyName, m_notifyToken);
    if (status == NotifyCenter::kStatusOK) {
        m_log.info("Registered notify token for %s", FrameHandoff::kNotifyName);
    } else {
        m_log.error("Failed to register notify token for %s, status=%u", FrameHandoff::kNotifyName,
                    status);
        m_notifyToken = -1;
    }
}

void CameraExtensionDeviceSource::startStreaming() {
    if (!m_bufferPool) {
        m_log.error("startStreaming called but bufferPool is nil");
        return;
    }
    ++m_streamingCounter;
    m_log.info("startStreaming (clients=%u)", m_streamingCounter);
    if (!m_frameTimer && m_timerFactory) {
        m_frameTimer = m_timerFactory(kFramePeriod, [this] { deliverFrame(); });
    }
}

void CameraExtensionDeviceSource::stopStreaming() {
    if (m_streamingCounter < 2) {
        m_streamingCounter = 0;
        if (m_frameTimer) {
            m_frameTimer->cancel();  // waits for a tick in progress
            m_frameTimer.reset();
        }
        m_lastSource.reset();  // no tick can run now
        m_log.info("stopStreaming (stopped)");
        return;
    }
    --m_streamingCounter;
    m_log.info("stopStreaming (clients=%u)", m_streamingCounter);
}

std::uint32_t CameraExtensionDeviceSource::currentSurfaceID() {
    if (m_notifyToken == -1) {
        registerNotifyToken();
        if (m_notifyToken == -1) {
            std::lock_guard lock(m_lock);
            return m_lastReceivedSurfaceID;
        }
    }
    int changed = 0;
    m_notifyCenter.notify_check(m_notifyToken, changed);
    if (changed) {
        std::uint64_t state = 0;
        if (m_notifyCenter.notify_get_state(m_notifyToken, state) == NotifyCenter::kStatusOK) {
            std::lock_guard lock(m_lock);
            // Only the low 32 bits are an identifier; upper bits are never written and ignored.
            m_lastReceivedSurfaceID = static_cast<std::uint32_t>(state);
        }
    }
    std::lock_guard lock(m_lock);
    return m_lastReceivedSurfaceID;
}

bool CameraExtensionDeviceSource::isThrottledTick() const {
    return m_tickCount % kDiagnosticInterval == 0;
}

void CameraExtensionDeviceSource::deliverFrame() {
    ++m_tickCount;
    const std::uint32_t surfaceId = currentSurfaceID();
    std::shared_ptr<CameraBuffer> frame;
    FrameSource source = FrameSource::noProducer;
    if (surfaceId == FrameHandoff::kNoSurface) {
        frame = makeBlankFrame();
    } else {
        SurfaceCopy copy = copyFromSurface(surfaceId);
        frame = std::move(copy.frame);
        if (copy.found) {
            m_lastDeliveredSurfaceID = surfaceId;
            source = FrameSource::live;
        } else {
            frame = makeBlankFrame();
            source = FrameSource::attachFailed;
            if (m_tickCount == 1 || isThrottledTick()) {
                m_log.error("IOSurfaceLookup(%u) failed — stale surface ID", surfaceId);
            }
        }
    }
    if (!frame) {
        if (isThrottledTick()) {
            m_log.error("[DIAG] pixelBuffer is nil at tick %llu",
                        static_cast<unsigned long long>(m_tickCount));
        }
        return;
    }
    if (m_lastSource != source) {
        const std::uint32_t format = frame->pixelFormat;
        m_log.error(
            "[DIAG] Frame source changed: %s surfaceID=%u tick=%llu pixelFmt=%c%c%c%c size=%ldx%ld",
            rawValue(source), surfaceId, static_cast<unsigned long long>(m_tickCount),
            char(format >> 24), char(format >> 16), char(format >> 8), char(format),
            long(frame->width), long(frame->height));
        m_lastSource = source;
    }
    sendFrame(std::move(frame));
}

void CameraExtensionDeviceSource::sendBlackFrame() {
    if (std::shared_ptr<CameraBuffer> frame = makeBlankFrame()) {
        sendFrame(std::move(frame));
    }
}

std::shared_ptr<CameraBuffer> CameraExtensionDeviceSource::makeBlankFrame() {
    if (!m_bufferPool) {
        return nullptr;
    }
    std::shared_ptr<CameraBuffer> frame = m_bufferPool->acquire();
    if (!frame) {
        m_log.error("[DIAG] makeBlankFrame: pool alloc failed %d", kPoolExhaustedStatus);
        return nullptr;
    }
    std::memset(frame->data, 0, std::size_t(frame->height) * std::size_t(frame->bytesPerRow));
    return frame;
}

CameraExtensionDeviceSource::SurfaceCopy CameraExtensionDeviceSource::copyFromSurface(
    std::uint32_t surfaceId) {
    if (!m_bufferPool) {
        return {};
    }
    std::shared_ptr<CameraBuffer> frame = m_bufferPool->acquire();
    if (!frame) {
        // The surface may still exist: an unavailable buffer is not a stale identifier.
        if (isThrottledTick()) {
            m_log.error("[DIAG] copyFromSurface: pool alloc failed %d", kPoolExhaustedStatus);
        }
        return {nullptr, true};
    }
    const SurfaceReader::CopyResult result =
        m_surfaceReader->copy(surfaceId, frame->data, frame->bytesPerRow, frame->height);
    // A torn copy (the publisher came round the ring three times during it) is still that
    // surface's picture, mixed from two neighbouring frames; it is sent rather than dropped.
    const bool found = result != SurfaceReader::CopyResult::notFound;
    return {found ? std::move(frame) : nullptr, found};
}

void CameraExtensionDeviceSource::sendFrame(std::shared_ptr<CameraBuffer> frame) {
    const std::uint64_t hostTimeNs = m_hostClock ? m_hostClock() : 0;
    const std::uint32_t format = frame->pixelFormat;
    const int status =
        m_sink ? m_sink->sendFrame(std::move(frame), hostTimeNs, kFrameDurationNs) : ENODEV;
    if (status != 0 && isThrottledTick()) {
        m_log.error("[DIAG] CMSampleBufferCreateForImageBuffer failed: %d pbFmt=%u descFmt=%u",
                    status, format, FrameHandoff::kPixelFormatBGRA);
    }
}
