// velarion-camera-extension [--foreground] [--v4l2-device PATH|none] [--version]
// The camera daemon: exposes "Velarion Camera" as a PipeWire video source and streams the frames
// the application announces, and writes them to a v4l2loopback device too when there is one (the
// first free one, or PATH; "none" switches that output off; a device loaded or freed later is
// found within seconds). It runs
// until SIGTERM or SIGINT; it does not end with the application.

#include "camera_extension/CameraExtensionDeviceSource.h"
#include "camera_extension/CameraExtensionProviderSource.h"
#include "camera_extension/CameraExtensionStreamSource.h"
#include "camera_extension/CameraIdentity.h"
#include "camera_extension/ControlQueue.h"
#include "camera_extension/DeviceLog.h"
#include "camera_extension/FrameSinkGroup.h"
#include "camera_extension/pipewire/PipeWireVideoSource.h"
#include "camera_extension/v4l2/V4L2LoopbackConnector.h"
#include "camera_extension/v4l2/V4L2LoopbackFinder.h"
#include "camera_extension/v4l2/V4L2LoopbackOutput.h"
#include "shared/CameraDaemonStatus.h"
#include "shared/NotifyCenter.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include <pthread.h>

namespace {

constexpr char kUsage[] =
    "usage: velarion-camera-extension [--foreground] [--v4l2-device PATH|none] [--version]\n";
constexpr char kNoLoopback[] = "none";
// How often a missing or lost v4l2loopback device is looked for again.
constexpr std::chrono::seconds kLoopbackSearchInterval{5};

// Blocks the termination signals in every thread and turns them into a quit of the control queue.
std::thread watchTerminationSignals(ControlQueue& queue) {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    return std::thread([&queue, signals] {
        int signal = 0;
        sigwait(&signals, &signal);
        queue.quit(0);
    });
}

}  // namespace

int main(int argc, char* argv[]) {
    bool foreground = false;
    std::string loopbackDevice;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--foreground") == 0) {
            foreground = true;
        } else if (std::strcmp(argv[i], "--v4l2-device") == 0 && i + 1 < argc) {
            loopbackDevice = argv[++i];
        } else if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("%s\n", CameraIdentity::kVersion);
            return 0;
        } else {
            std::fputs(kUsage, stderr);
            return 2;
        }
    }

    ControlQueue control;
    std::thread signalWatcher = watchTerminationSignals(control);
    signalWatcher.detach();

    SyslogDeviceLog log(foreground);
    CameraDaemonStatus status;
    if (CameraDaemonStatus::path().empty()) {
        log.error("No private runtime folder for the status file");
        std::fprintf(stderr, "No private runtime folder for the status file\n");
        return 3;
    }
    if (!status.acquire()) {
        log.error("Another camera daemon is running for this user");
        std::fprintf(stderr, "Another camera daemon is running for this user\n");
        return 3;
    }
    status.publish(CameraIdentity::kVersion, CameraIdentity::kBuild, false);
    NotifyCenter notifyCenter;
    CameraExtensionProviderSource provider(std::make_unique<CameraExtensionDeviceSource>(
        CameraIdentity::kDeviceName,
        CameraExtensionDeviceSource::Environment{
            log, notifyCenter, CameraExtensionDeviceSource::threadTimerFactory(),
            CameraExtensionDeviceSource::defaultPoolFactory(),
            CameraExtensionDeviceSource::monotonicHostClock()}));
    CameraExtensionStreamSource& stream = provider.deviceSource().streamSource();

    PipeWireVideoSource node({[&] { control.post([&] { stream.startStream(); }); },
                              [&] { control.post([&] { stream.stopStream(); }); },
                              [&](bool connected) {
                                  // Not ready while the node is gone: an installer asking now
                                  // must not take the camera for up.
                                  status.publish(CameraIdentity::kVersion, CameraIdentity::kBuild,
                                                 connected);
                                  if (connected) {
                                      log.info("Reconnected to PipeWire: the camera node is back");
                                  } else {
                                      log.error("Lost the connection to PipeWire; reconnecting");
                                  }
                              }});
    const DaemonOutcome nodeStart =
        node.start({{"velarion.device.uuid", CameraIdentity::kDeviceUUID},
                    {"velarion.stream.uuid", CameraIdentity::kStreamUUID},
                    {"velarion.stream.name", CameraIdentity::kStreamName},
                    {"velarion.version", CameraIdentity::kVersion}});
    if (nodeStart.failed()) {
        log.error("Failed to add device: %s", nodeStart.error().c_str());
        std::fprintf(stderr, "Failed to add device: %s\n", nodeStart.error().c_str());
        return 1;
    }
    // The loopback device is a client from open to close: the frame timer runs for it alone.
    V4L2LoopbackOutput loopback(log, {[&] { control.post([&] { stream.startStream(); }); },
                                      [&] {
                                          control.post([&] { stream.stopStream(); });
                                      }});
    FrameSinkGroup sinks;
    sinks.add(node);
    sinks.add(loopback);
    provider.deviceSource().setSink(&sinks);
    V4L2LoopbackConnector connector(loopback, V4L2LoopbackFinder(), loopbackDevice, log);
    if (loopbackDevice == kNoLoopback) {
        log.info("v4l2loopback output switched off");
    } else {
        connector.connect();
        control.setPeriodicWork(kLoopbackSearchInterval, [&] { connector.connect(); });
    }
    status.publish(CameraIdentity::kVersion, CameraIdentity::kBuild, true);

    const int exitCode = control.run();
    // Clients are gone as far as the device knows: the timer stops before the node goes.
    while (provider.deviceSource().streamingCounter() > 0) {
        provider.deviceSource().stopStreaming();
    }
    // Black before the node goes: a consumer keeps showing the last frame it got.
    provider.deviceSource().sendBlackFrame();
    provider.deviceSource().setSink(nullptr);
    loopback.close();
    node.stop();
    return exitCode;
}
