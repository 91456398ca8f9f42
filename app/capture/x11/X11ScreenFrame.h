#pragma once

#include "capture/PixelBuffer.h"
#include "capture/x11/X11ImageReader.h"
#include "capture/x11/X11Scene.h"
#include "capture/x11/X11SceneDrawer.h"
#include "capture/x11/X11SoftwareCursor.h"
#include "capture/x11/XcbConnection.h"

#include <QRect>
#include <QRegion>

#include <functional>
#include <optional>

// The live picture of one display at its native size. Windows are redirected automatically, so
// the screen already shows the right pixels everywhere but where left-out windows are: what
// changed is copied from the root, and only the left-out windows' areas in them are
// composed again from what lies beneath; the cursor is drawn in software. The server copies into
// a pixmap of shared memory that is the frame itself, so nothing is read back (without shared
// pixmaps, the changed rows are read back in one request).
class X11ScreenFrame {
public:
    // Handles, in order, the events the server sent before the request numbered `sequence`, and
    // keeps the later ones for afterwards. False when the screen can no longer be trusted to
    // show the windows where the scene has them: the frame is then dropped.
    using CatchUp = std::function<bool(uint32_t sequence)>;

    X11ScreenFrame(XcbConnection& connection, X11Scene& scene, const QRect& displayFrame,
                   bool showsCursor);
    ~X11ScreenFrame();
    X11ScreenFrame(const X11ScreenFrame&) = delete;
    X11ScreenFrame& operator=(const X11ScreenFrame&) = delete;

    // One round trip. True when the cursor moved or changed.
    bool updateCursor();
    // Takes in what changed since the last call and returns the whole frame, or nothing when
    // neither a shown pixel nor the cursor changed. The view is valid until the next call.
    // Throws CaptureError when the server refuses a read-back.
    std::optional<PixelBuffer> compose(const CatchUp& catchUp);
    // Whether an X resource belongs to the frame itself: an error about it ends the stream.
    bool ownsResource(uint32_t id) const;

private:
    // Where (root coordinates) shown pixels changed; empty when nowhere.
    QRegion changedArea(bool full);
    // Copies `area` of the screen into the frame, opaque, in one request.
    void copyScreen(const QRegion& area);
    // Returns once the server has drawn everything asked so far into the frame's memory.
    void finish(const QRect& rows);

    XcbConnection& m_connection;
    X11Scene& m_scene;
    QRect m_display;
    bool m_showsCursor;
    X11ImageReader m_memory;
    X11SceneDrawer m_drawer;
    X11SoftwareCursor m_cursor;
    xcb_pixmap_t m_canvasPixmap = XCB_PIXMAP_NONE;
    bool m_canvasShared = false;
    xcb_render_picture_t m_canvas = XCB_NONE;
    xcb_render_picture_t m_root = XCB_NONE;
    uint32_t m_copySequence = 0;
    bool m_cursorChanged = false;
    bool m_frameValid = false;
};
