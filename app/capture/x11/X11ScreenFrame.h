#pragma once

#include "capture/PixelBuffer.h"
#include "capture/x11/X11Composer.h"
#include "capture/x11/X11ImageReader.h"
#include "capture/x11/X11Scene.h"
#include "capture/x11/X11SoftwareCursor.h"
#include "capture/x11/XcbConnection.h"

#include <QRect>
#include <QRegion>

#include <functional>
#include <optional>

// The live picture of one display at its native size. Windows are redirected automatically, so
// the screen already shows the right pixels everywhere but where left-out windows are: the rows
// that changed are read straight from the root (one request), and only the left-out windows' areas
// in them are composed again from what lies beneath; the cursor is drawn in software.
class X11ScreenFrame {
public:
    // Handles, in order, the events the server sent before the request numbered `sequence`, and
    // keeps the later ones for afterwards.
    using CatchUp = std::function<void(uint32_t sequence)>;

    X11ScreenFrame(XcbConnection& connection, X11Scene& scene, const QRect& displayFrame,
                   bool showsCursor);

    // One round trip. True when the cursor moved or changed.
    bool updateCursor();
    // Reads what changed since the last call and returns the whole frame, or nothing when no
    // shown pixel and not the cursor changed. The view is valid until the next call. Throws
    // CaptureError when a read-back fails.
    std::optional<PixelBuffer> compose(const CatchUp& catchUp);
    // Whether an X resource belongs to the frame itself: an error about it ends the stream.
    bool ownsResource(uint32_t id) const { return m_composer.ownsResource(id); }

private:
    // The rows (root coordinates, full display width) whose pixels changed; empty when none.
    QRect changedRows(bool full);
    void makeOpaque(std::uint8_t* data, int bytesPerRow, const QRect& rows) const;
    void patch(std::uint8_t* data, int bytesPerRow, const QRegion& area);

    XcbConnection& m_connection;
    X11Scene& m_scene;
    QRect m_display;
    bool m_showsCursor;
    X11ImageReader m_reader;
    X11Composer m_composer;
    X11SoftwareCursor m_cursor;
    bool m_cursorChanged = false;
    bool m_frameValid = false;
};
