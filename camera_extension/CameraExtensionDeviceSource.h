#pragma once

#include "camera_extension/CameraBufferPool.h"
#include "camera_extension/FrameTimer.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>

class CameraExtensionStreamSource;
class DeviceLog;
class FrameSink;
class NotifyCenter;
class SurfaceReader;

// The camera device "Velarion Camera": counts the clients that stream, runs the 30 Hz frame timer
// while any does, and on every tick reads the newest announced surface identifier, copies that
// surface into a buffer of its own (or makes a black frame) and sends it to the sink.
//
// Threads: construction, the property calls, startStreaming() and stopStreaming() run on the
// daemon's control thread; deliverFrame() and everything it calls run on the timer's thread, one
// tick at a time. stopStreaming() cancels the timer (waiting for a tick in progress) before it
// clears `lastSource`, so the reset never races a tick.
class CameraExtensionDeviceSource {
public:
    enum class FrameSource { live, noProducer, attachFailed };
    static const char* rawValue(FrameSource source);

    enum class DeviceProperty { transportType, model };
    struct DeviceProperties {
        std::optional<std::uint32_t> transportType;
        std::optional<std::string> model;
    };

    using TimerFactory = std::function<std::unique_ptr<FrameTimer>(std::chrono::nanoseconds period,
                                                                   std::function<void()> tick)>;
    using PoolFactory = std::function<std::unique_ptr<CameraBufferPool>()>;
    using HostClock = std::function<std::uint64_t()>;  // nanoseconds

    struct Environment {
        DeviceLog& log;
        NotifyCenter& notifyCenter;
        TimerFactory timerFactory;
        PoolFactory poolFactory;
        HostClock hostClock;
    };
    static TimerFactory threadTimerFactory();
    static PoolFactory defaultPoolFactory();
    static HostClock monotonicHostClock();

    CameraExtensionDeviceSource(const std::string& localizedName, Environment environment);
    ~CameraExtensionDeviceSource();

    const std::string& localizedName() const { return m_localizedName; }
    CameraExtensionStreamSource& streamSource() { return *m_streamSource; }

    std::set<DeviceProperty> availableProperties() const;
    DeviceProperties deviceProperties(const std::set<DeviceProperty>& properties) const;
    bool setDeviceProperties(const DeviceProperties&) { return true; }

    void setSink(FrameSink* sink) { m_sink = sink; }

    void startStreaming();
    void stopStreaming();

    // One timer tick.
    void deliverFrame();
    // Sends one black frame to the sink now, so that consumers are not left with the last picture
    // of the screen when the camera goes away. Control thread, once the timer has stopped (after
    // the last stopStreaming()); nothing is sent without a sink or a buffer.
    void sendBlackFrame();

    std::uint32_t streamingCounter() const { return m_streamingCounter; }
    bool hasFrameTimer() const { return m_frameTimer != nullptr; }
    std::uint64_t tickCount() const { return m_tickCount; }
    std::optional<FrameSource> lastSource() const { return m_lastSource; }
    std::uint32_t lastDeliveredSurfaceID() const { return m_lastDeliveredSurfaceID; }

private:
    void registerNotifyToken();
    std::uint32_t currentSurfaceID();
    std::shared_ptr<CameraBuffer> makeBlankFrame();
    // `found` is false only for a surface that is gone (a stale identifier); `frame` is null also
    // when the surface exists but no buffer was free.
    struct SurfaceCopy {
        std::shared_ptr<CameraBuffer> frame;
        bool found = false;
    };
    SurfaceCopy copyFromSurface(std::uint32_t surfaceId);
    void sendFrame(std::shared_ptr<CameraBuffer> frame);
    bool isThrottledTick() const;

    std::string m_localizedName;
    DeviceLog& m_log;
    NotifyCenter& m_notifyCenter;
    TimerFactory m_timerFactory;
    HostClock m_hostClock;
    std::unique_ptr<CameraExtensionStreamSource> m_streamSource;
    std::unique_ptr<CameraBufferPool> m_bufferPool;
    std::unique_ptr<SurfaceReader> m_surfaceReader;
    FrameSink* m_sink = nullptr;

    // Control thread.
    std::uint32_t m_streamingCounter = 0;
    std::unique_ptr<FrameTimer> m_frameTimer;

    // Timer thread (and start-up, before any timer exists).
    int m_notifyToken = -1;
    std::uint32_t m_lastDeliveredSurfaceID = 0;
    std::optional<FrameSource> m_lastSource;
    std::uint64_t m_tickCount = 0;

    std::mutex m_lock;  // guards m_lastReceivedSurfaceID only
    std::uint32_t m_lastReceivedSurfaceID = 0;
};
