#include "capture/ScreenManager.h"

#include "capture/CaptureLogging.h"
#include "capture/CaptureRelay.h"
#include "core/Console.h"

#include <QtConcurrent/QtConcurrentRun>

namespace {

constexpr int kMinimumWindowSize = 100;
constexpr int kSnapshotScale = 2;

// Keeps what a stream refers to (its delegate and its output) alive until the stream itself is
// destroyed, wherever the last reference to it ends up.
std::shared_ptr<CaptureStream> adoptStream(std::unique_ptr<CaptureStream> stream,
                                           std::shared_ptr<CaptureRelay> relay,
                                           std::shared_ptr<StreamHandler> handler) {
    return std::shared_ptr<CaptureStream>(
        stream.release(), [relay = std::move(relay),
                           handler = std::move(handler)](CaptureStream* dead) { delete dead; });
}

void stopQuietly(const std::shared_ptr<CaptureStream>& stream) {
    try {
        stream->stopCapture();
    } catch (const CaptureError& error) {
        Console::printLine(QStringLiteral("[ScreenManager] Error stopping capture: ") +
                           error.description());
    }
}

}  // namespace

ScreenManager::ScreenManager(std::shared_ptr<CaptureBackend> backend, QObject* parent)
    : QObject(parent)
    , m_backend(std::move(backend))
    , m_relay(std::make_shared<CaptureRelay>(this)) {
    m_backendThread.setMaxThreadCount(1);
    // A thread that never expires keeps per-thread display-server state warm.
    m_backendThread.setExpiryTimeout(-1);
}

ScreenManager::~ScreenManager() {
    m_relay->detach();
    m_backendThread.waitForDone();
    if (m_stream) {
        stopQuietly(m_stream);
    }
}

QList<WindowInfo> ScreenManager::windowInfos() const {
    QList<WindowInfo> infos;
    infos.reserve(m_availableWindows.size());
    for (const ShareableWindow& window : m_availableWindows) {
        WindowInfo info;
        info.id = window.windowID;
        info.title = window.title.value_or(QStringLiteral("Untitled"));
        info.appName = window.owningApplication ? window.owningApplication->applicationName
                                                : QStringLiteral("Unknown");
        info.isOnScreen = window.isOnScreen;
        infos.append(info);
    }
    return infos;
}

PixelBufferSink* ScreenManager::virtualCameraService() const {
    return m_relay->sink();
}

void ScreenManager::setVirtualCameraService(PixelBufferSink* service) {
    m_relay->setSink(service);
}

void ScreenManager::setSnapshotExcludedWindows(const WindowIdSet& windowIDs) {
    m_snapshotExcludedWindows = windowIDs;
}

QFuture<void> ScreenManager::refreshAvailableWindows() {
    return QtConcurrent::run(&m_backendThread,
                             [backend = m_backend] { return backend->shareableContent(); })
        .then(this, [this](const ShareableContent& content) {
            QList<ShareableWindow> kept;
            for (const ShareableWindow& window : content.windows) {
                if (window.title && !window.title->isEmpty() &&
                    window.frame.width() > kMinimumWindowSize &&
                    window.frame.height() > kMinimumWindowSize) {
                    kept.append(window);
                }
            }
            setAvailableWindows(kept);
        });
}

QFuture<void> ScreenManager::startStealthSession(const WindowIdSet& excludingWindowIDs) {
    qCCritical(lcScreenManager, "[DIAG] startStealthSession called, excludingWindowIDs=%ld",
               static_cast<long>(excludingWindowIDs.size()));
    return stopCapture()
        .then(&m_backendThread, [backend = m_backend] { return backend->shareableContent(); })
        .then(
            this,
            [this, excludingWindowIDs](const ShareableContent& content) -> QFuture<void> {
                if (content.displays.isEmpty()) {
                    qCCritical(lcScreenManager, "[DIAG] No display found!");
                    return QtFuture::makeReadyFuture();
                }
                const ShareableDisplay display = content.displays.first();
                qCCritical(lcScreenManager, "[DIAG] Display found: %ldx%ld",
                           static_cast<long>(display.width), static_cast<long>(display.height));

                QSet<qint32> processIDs;
                for (const ShareableWindow& window : content.windows) {
                    if (excludingWindowIDs.contains(window.windowID) && window.owningApplication) {
                        processIDs.insert(window.owningApplication->processID);
                    }
                }
                QList<RunningApplication> excluded;
                for (const RunningApplication& application : content.applications) {
                    if (processIDs.contains(application.processID)) {
                        excluded.append(application);
                    }
                }
                const ContentFilter filter =
                    excluded.isEmpty()
                        ? ContentFilter::excludingWindows(display, {})
                        : ContentFilter::excludingApplications(display, excluded, {});
                qCCritical(lcScreenManager, "[DIAG] Excluding %ld app(s) dynamically",
                           static_cast<long>(excluded.size()));
                return startCapture(filter, makeStreamConfiguration(display)).then(this, [] {
                    qCCritical(lcScreenManager, "[DIAG] Screen capture started successfully");
                });
            })
        .unwrap();
}

QFuture<void> ScreenManager::stopCapture() {
    const std::shared_ptr<CaptureStream> stream = m_stream;
    QFuture<void> stopped =
        stream ? QtConcurrent::run(&m_backendThread, [stream] { stopQuietly(stream); })
               : QtFuture::makeReadyFuture();
    return stopped.then(this, [this, stream] {
        // A stream stored while this stop was under way is a newer session's: it stays.
        if (m_stream != stream) {
            return;
        }
        m_stream.reset();
        m_streamHandler.reset();
        setCapturing(false);
    });
}

QFuture<std::optional<QImage>> ScreenManager::captureScreenSnapshot() {
    const QList<WindowId> excluded(m_snapshotExcludedWindows.cbegin(),
                                   m_snapshotExcludedWindows.cend());
    return QtConcurrent::run(
        &m_backendThread, [backend = m_backend, excluded]() -> std::optional<QImage> {
            const ShareableContent content = backend->shareableContent();
            if (content.displays.isEmpty()) {
                return std::nullopt;
            }
            const ShareableDisplay& display = content.displays.first();
            return backend->captureImage(ContentFilter::excludingWindows(display, excluded),
                                         makeSnapshotConfiguration(display));
        });
}

QFuture<void> ScreenManager::startCapture(const ContentFilter& filter,
                                          const StreamConfiguration& configuration) {
    qCCritical(lcScreenManager, "[DIAG] virtualCameraService connected: %s",
               virtualCameraService() ? "true" : "false");
    auto handler = std::make_shared<StreamHandler>(
        [relay = std::weak_ptr<CaptureRelay>(m_relay)](const PixelBuffer& pixelBuffer) {
            if (const std::shared_ptr<CaptureRelay> alive = relay.lock()) {
                alive->publish(pixelBuffer);
            }
        });
    return QtConcurrent::run(
               &m_backendThread,
               [backend = m_backend, relay = m_relay, handler, filter, configuration] {
                   std::shared_ptr<CaptureStream> stream = adoptStream(
                       backend->makeStream(filter, configuration, relay.get()), relay, handler);
                   stream->addStreamOutput(handler.get(), StreamOutputType::screen);
                   stream->startCapture();
                   return stream;
               })
        .then(this, [this, handler](std::shared_ptr<CaptureStream> stream) {
            storeStream(std::move(stream), handler);
        });
}

StreamConfiguration ScreenManager::makeStreamConfiguration(const ShareableDisplay& display) {
    StreamConfiguration configuration;
    configuration.width = display.pixelWidth();
    configuration.height = display.pixelHeight();
    configuration.minimumFrameIntervalValue = 1;
    configuration.minimumFrameIntervalTimescale = 30;
    configuration.queueDepth = 4;
    configuration.showsCursor = true;
    return configuration;
}

StreamConfiguration ScreenManager::makeSnapshotConfiguration(const ShareableDisplay& display) {
    StreamConfiguration configuration = makeStreamConfiguration(display);
    configuration.width = display.width * kSnapshotScale;
    configuration.height = display.height * kSnapshotScale;
    return configuration;
}

void ScreenManager::storeStream(std::shared_ptr<CaptureStream> stream,
                                std::shared_ptr<StreamHandler> handler) {
    // Two starts that overlap would otherwise leave the first stream running unseen: never two.
    if (m_stream && m_stream != stream) {
        (void)QtConcurrent::run(&m_backendThread,
                                [old = std::move(m_stream)] { stopQuietly(old); });
    }
    m_stream = std::move(stream);
    m_streamHandler = std::move(handler);
    setCapturing(true);
}

void ScreenManager::streamStoppedBySystem(const CaptureStream* stream) {
    if (m_stream.get() == stream) {
        setCapturing(false);
    }
}

void ScreenManager::setCapturing(bool capturing) {
    if (m_isCapturing == capturing) {
        return;
    }
    m_isCapturing = capturing;
    Q_EMIT isCapturingChanged();
}

void ScreenManager::setAvailableWindows(const QList<ShareableWindow>& windows) {
    if (m_availableWindows == windows) {
        m_availableWindows = windows;
        return;
    }
    m_availableWindows = windows;
    Q_EMIT availableWindowsChanged();
}
