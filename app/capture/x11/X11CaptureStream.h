#pragma once

#include "capture/CaptureStream.h"
#include "capture/ContentFilter.h"
#include "capture/PixelBuffer.h"
#include "capture/StreamConfiguration.h"

#include "x11/XcbOwners.h"

#include <xcb/xcb.h>

#include <QByteArray>
#include <QString>

#include <atomic>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

class XcbConnection;
class X11Scene;
class X11Composer;
class X11ScreenFrame;
class X11CompositorWatch;

// A live capture on its own X connection and its own thread. The thread waits for X events and
// composes a frame only when something visible changed (window damage, stacking, the cursor), at
// most once per minimum frame interval, and hands it to the outputs synchronously. One frame is
// held at a time, well within the configured queue depth.
class X11CaptureStream final : public CaptureStream {
public:
    X11CaptureStream(QByteArray displayName, ContentFilter filter,
                     StreamConfiguration configuration, CaptureStreamDelegate* delegate);
    ~X11CaptureStream() override;

    void addStreamOutput(StreamOutput* output, StreamOutputType type) override;
    void startCapture() override;
    void stopCapture() override;

private:
    void run();
    struct PendingEvents {
        // Something visible changed: the next frame must be composed.
        bool changed = false;
        // Not empty when the stream must end.
        QString failure;
    };
    // Capture thread.
    PendingEvents handlePendingEvents();
    // Handles the events that arrived before request `sequence`; keeps the rest for later.
    void catchUp(uint32_t sequence);
    // Whether the event changed what the next frame shows.
    bool handleEvent(const xcb_generic_event_t* event);
    std::optional<PixelBuffer> composeFrame();
    // Frames at the display's size are copied from the screen, unless a compositing manager
    // paints it while something is left out: the screen may then lag behind the windows.
    bool screenCanBeCopied() const;
    QString checkDisplay();
    void deliver(const PixelBuffer& frame);
    void joinThread();

    QByteArray m_displayName;
    ContentFilter m_filter;
    StreamConfiguration m_configuration;
    CaptureStreamDelegate* m_delegate;

    std::mutex m_outputsMutex;
    std::vector<std::pair<StreamOutput*, StreamOutputType>> m_outputs;

    std::unique_ptr<XcbConnection> m_connection;
    std::unique_ptr<X11Scene> m_scene;
    // Frames at the display's native size come from the screen itself; other sizes are composed
    // and scaled on the server.
    std::unique_ptr<X11ScreenFrame> m_screenFrame;
    std::unique_ptr<X11Composer> m_composer;
    std::unique_ptr<X11CompositorWatch> m_compositor;
    std::deque<XcbEvent> m_deferred;
    QString m_failure;
    bool m_changedWhileComposing = false;
    std::thread m_thread;
    int m_wakeFd = -1;
    std::atomic<bool> m_stopRequested{false};
    std::atomic<bool> m_died{false};
    QString m_deathReason;  // written by the capture thread before m_died
};
