#include "capture/x11/X11CaptureStream.h"

#include "capture/CaptureLogging.h"
#include "capture/x11/X11Composer.h"
#include "capture/x11/X11CompositorWatch.h"
#include "capture/x11/X11Displays.h"
#include "capture/x11/X11Scene.h"
#include "capture/x11/X11ScreenFrame.h"
#include "capture/x11/XcbConnection.h"

#include <xcb/randr.h>

#include <chrono>
#include <cmath>

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

}  // namespace

X11CaptureStream::X11CaptureStream(QByteArray displayName, ContentFilter filter,
                                   StreamConfiguration configuration,
                                   CaptureStreamDelegate* delegate)
    : m_displayName(std::move(displayName))
    , m_filter(std::move(filter))
    , m_configuration(configuration)
    , m_delegate(delegate) {}

X11CaptureStream::~X11CaptureStream() {
    try {
        stopCapture();
    } catch (const CaptureError&) {
        // Already dead; its delegate was told.
    }
}

void X11CaptureStream::addStreamOutput(StreamOutput* output, StreamOutputType type) {
    if (!output) {
        throw CaptureError(QStringLiteral("A stream output must not be null"));
    }
    const std::lock_guard lock(m_outputsMutex);
    m_outputs.emplace_back(output, type);
}

void X11CaptureStream::startCapture() {
    if (m_thread.joinable()) {
        return;
    }
    if (m_configuration.width <= 0 || m_configuration.height <= 0 ||
        m_filter.display.frame.isEmpty()) {
        throw CaptureError(QStringLiteral("The stream has no frame size or no display"));
    }
    m_connection = std::make_unique<XcbConnection>(m_displayName);
    m_scene = std::make_unique<X11Scene>(*m_connection, ExclusionRule::from(m_filter));
    if (m_connection->randr().present) {
        xcb_randr_select_input(m_connection->get(), m_connection->root(),
                               XCB_RANDR_NOTIFY_MASK_SCREEN_CHANGE);
    }
    m_compositor = std::make_unique<X11CompositorWatch>(*m_connection);
    if (screenCanBeCopied()) {
        m_screenFrame = std::make_unique<X11ScreenFrame>(
            *m_connection, *m_scene, m_filter.display.frame, m_configuration.showsCursor);
    } else {
        m_composer = std::make_unique<X11Composer>(
            *m_connection, *m_scene, m_filter.display.frame,
            QSize(m_configuration.width, m_configuration.height), m_configuration.showsCursor);
    }
    xcb_flush(m_connection->get());
    if (m_connection->hasError()) {
        throw CaptureError(QStringLiteral("The connection to the X server was lost"));
    }
    m_wakeFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (m_wakeFd < 0) {
        throw CaptureError(QStringLiteral("The capture thread could not be set up"));
    }
    m_stopRequested = false;
    m_thread = std::thread(&X11CaptureStream::run, this);
}

void X11CaptureStream::stopCapture() {
    joinThread();
    m_deferred.clear();
    m_screenFrame.reset();
    m_composer.reset();
    m_compositor.reset();
    m_scene.reset();
    m_connection.reset();
    if (m_died) {
        throw CaptureError(QStringLiteral("The stream had already stopped: ") + m_deathReason);
    }
}

void X11CaptureStream::joinThread() {
    if (!m_thread.joinable()) {
        return;
    }
    m_stopRequested = true;
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(m_wakeFd, &one, sizeof one);
    m_thread.join();
    ::close(m_wakeFd);
    m_wakeFd = -1;
}

QString X11CaptureStream::checkDisplay() {
    if (m_filter.display.displayID == 0) {
        return {};
    }
    for (const ShareableDisplay& display : X11Displays::read(*m_connection)) {
        if (display.displayID == m_filter.display.displayID) {
            return {};
        }
    }
    return QStringLiteral("The display is no longer available");
}

bool X11CaptureStream::handleEvent(const xcb_generic_event_t* event) {
    const uint8_t type = event->response_type & ~0x80;
    const uint8_t screenChange = m_connection->randr().present ? m_connection->randr().firstEvent +
                                                                     XCB_RANDR_SCREEN_CHANGE_NOTIFY
                                                               : 0;
    const auto failWith = [this](const QString& failure) {
        if (m_failure.isEmpty()) {
            m_failure = failure;
        }
    };
    if (type == 0) {
        // Errors about windows that vanished between two requests are normal: that window is
        // skipped for this frame. Only an error about the stream's own surfaces is fatal.
        const auto* error = reinterpret_cast<const xcb_generic_error_t*>(event);
        const bool own = m_screenFrame ? m_screenFrame->ownsResource(error->resource_id)
                                       : m_composer->ownsResource(error->resource_id);
        if (own) {
            failWith(QStringLiteral("X error %1 on the capture surface (request %2.%3)")
                         .arg(error->error_code)
                         .arg(error->major_code)
                         .arg(error->minor_code));
        } else {
            qCDebug(lcScreenManager, "skipped X error %d (request %d.%d)", error->error_code,
                    error->major_code, error->minor_code);
        }
        return false;
    }
    const bool rootChanged = type == XCB_CONFIGURE_NOTIFY &&
                             reinterpret_cast<const xcb_configure_notify_event_t*>(event)->window ==
                                 m_connection->root();
    if (m_compositor->handleEvent(event)) {
        m_scene->markFullyDamaged();
        return true;
    }
    if ((screenChange != 0 && type == screenChange) || rootChanged) {
        // Monitors come and go with a change of the screen (RandR) or of the root alone (a
        // monitor added or removed by name).
        m_scene->markFullyDamaged();
        failWith(checkDisplay());
        return true;
    }
    return m_scene->handleEvent(event);
}

X11CaptureStream::PendingEvents X11CaptureStream::handlePendingEvents() {
    xcb_connection_t* c = m_connection->get();
    PendingEvents pending;
    while (!m_deferred.empty()) {
        const XcbEvent event = std::move(m_deferred.front());
        m_deferred.pop_front();
        pending.changed = handleEvent(event.get()) || pending.changed;
    }
    while (const XcbEvent event{xcb_poll_for_event(c)}) {
        pending.changed = handleEvent(event.get()) || pending.changed;
    }
    pending.failure = m_connection->hasError()
                          ? QStringLiteral("The connection to the X server was lost")
                          : std::exchange(m_failure, {});
    return pending;
}

void X11CaptureStream::catchUp(uint32_t sequence) {
    // The reply to `sequence` has been read, so everything the server sent before it is queued.
    while (XcbEvent event{xcb_poll_for_queued_event(m_connection->get())}) {
        if (!m_deferred.empty() || static_cast<int32_t>(event->full_sequence - sequence) >= 0) {
            m_deferred.push_back(std::move(event));
            continue;
        }
        m_changedWhileComposing = handleEvent(event.get()) || m_changedWhileComposing;
    }
}

bool X11CaptureStream::screenCanBeCopied() const {
    const ExclusionRule rule = ExclusionRule::from(m_filter);
    const bool leavesOut = !rule.processIDs.isEmpty() || !rule.windows.isEmpty();
    return QSize(m_configuration.width, m_configuration.height) == m_filter.display.frame.size() &&
           !(leavesOut && m_compositor->isRunning());
}

std::optional<PixelBuffer> X11CaptureStream::composeFrame() {
    if (m_screenFrame && !screenCanBeCopied()) {
        // A compositing manager came: compose every frame from the windows' own pixmaps.
        m_screenFrame.reset();
        m_composer = std::make_unique<X11Composer>(
            *m_connection, *m_scene, m_filter.display.frame,
            QSize(m_configuration.width, m_configuration.height), m_configuration.showsCursor);
    }
    if (m_screenFrame) {
        // A copy made after a compositing manager came may show it lagging: not delivered.
        return m_screenFrame->compose([this](uint32_t sequence) {
            catchUp(sequence);
            return screenCanBeCopied();
        });
    }
    return m_composer->compose();
}

void X11CaptureStream::deliver(const PixelBuffer& frame) {
    const SampleBuffer sample{frame};
    const std::lock_guard lock(m_outputsMutex);
    for (const auto& [output, type] : m_outputs) {
        if (type == StreamOutputType::screen) {
            output->stream(*this, sample, type);
        }
    }
}

void X11CaptureStream::run() {
    const auto interval = std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double>(m_configuration.minimumFrameIntervalSeconds()));
    xcb_connection_t* c = m_connection->get();
    bool dirty = true;
    m_failure.clear();
    Clock::time_point nextFrame = Clock::now();
    QString failure;
    const auto takePendingEvents = [this, &dirty, &failure] {
        PendingEvents pending = handlePendingEvents();
        dirty = pending.changed || dirty;
        failure = std::move(pending.failure);
    };
    while (!m_stopRequested && failure.isEmpty()) {
        takePendingEvents();
        if (!failure.isEmpty()) {
            break;
        }
        const Clock::time_point now = Clock::now();
        if (now >= nextFrame) {
            m_scene->resolvePendingOwners();
            dirty = (m_screenFrame ? m_screenFrame->updateCursor() : m_composer->updateCursor()) ||
                    dirty;
            // Round trips may have queued events that change this very frame.
            takePendingEvents();
            if (!failure.isEmpty()) {
                break;
            }
            if (dirty) {
                try {
                    if (const std::optional<PixelBuffer> frame = composeFrame()) {
                        deliver(*frame);
                    }
                } catch (const CaptureError& error) {
                    failure = m_connection->hasError()
                                  ? QStringLiteral("The connection to the X server was lost")
                                  : error.description();
                    break;
                }
                // What the frame caught up with is drawn only where it was read: go again.
                dirty = std::exchange(m_changedWhileComposing, false);
            }
            nextFrame += interval;
            if (nextFrame <= now) {
                nextFrame = now + interval;
            }
        }
        xcb_flush(c);
        const auto wait =
            std::chrono::duration_cast<std::chrono::milliseconds>(nextFrame - Clock::now()).count();
        // With a frame already due, more events change nothing before its tick: they wait in
        // the socket, and a moving screen wakes the thread once a frame, not once an event.
        const short xEvents = dirty ? 0 : POLLIN;
        pollfd fds[2] = {{xcb_get_file_descriptor(c), xEvents, 0}, {m_wakeFd, POLLIN, 0}};
        ::poll(fds, 2, static_cast<int>(std::max<long long>(0, wait + 1)));
    }
    if (!failure.isEmpty() && !m_stopRequested) {
        m_deathReason = failure;
        m_died = true;
        if (m_delegate) {
            m_delegate->streamDidStopWithError(*this, CaptureError(failure));
        }
    }
}
