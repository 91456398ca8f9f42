#pragma once

#include "capture/x11/ExclusionRule.h"
#include "capture/x11/X11Wallpaper.h"
#include "capture/x11/X11WindowInspector.h"
#include "capture/x11/XcbConnection.h"
#include "core/WindowInfo.h"

#include <xcb/damage.h>
#include <xcb/xfixes.h>

#include <QRegion>

#include <optional>
#include <unordered_map>
#include <vector>

// The top-level windows of the screen in stacking order, kept up to date from X events (no round
// trips per frame), each with what composing it needs: its named pixmap (named again after a
// resize or a remap, the old one freed), a picture, its shape and a damage object. All windows
// are redirected for the life of the scene.
class X11Scene {
public:
    struct Window {
        xcb_window_t id = XCB_WINDOW_NONE;
        // The outer frame, border included.
        int x = 0;
        int y = 0;
        int width = 0;
        int height = 0;
        int border = 0;
        bool viewable = false;
        bool inputOnly = false;
        bool overrideRedirect = false;
        xcb_visualid_t visual = 0;
        xcb_window_t client = XCB_WINDOW_NONE;
        std::optional<qint32> processID;
        bool ownerKnown = false;

        xcb_pixmap_t pixmap = XCB_PIXMAP_NONE;
        xcb_render_picture_t picture = XCB_NONE;
        xcb_xfixes_region_t shape = XCB_NONE;
        xcb_damage_damage_t damage = XCB_NONE;
        bool hasAlpha = false;
    };

    // Throws CaptureError when the initial tree cannot be read.
    X11Scene(XcbConnection& connection, ExclusionRule rule);
    ~X11Scene();
    X11Scene(const X11Scene&) = delete;
    X11Scene& operator=(const X11Scene&) = delete;

    // True when the event may change the picture. Content changes of shown windows add to
    // `damage()`; anything else (a window mapped, moved, restacked...) makes the damage full.
    bool handleEvent(const xcb_generic_event_t* event);

    // What changed since `clearDamage()`, in root coordinates (a server-side region), unless
    // `isFullyDamaged()`.
    xcb_xfixes_region_t damage() const { return m_damage; }
    bool isFullyDamaged() const { return m_fullDamage; }
    void addDamage(xcb_xfixes_region_t region);
    void markFullyDamaged() { m_fullDamage = true; }
    void clearDamage();
    // Finds the owners of windows mapped since the last call (round trips; only on change).
    void resolvePendingOwners();

    bool isExcluded(const Window& window) const;
    // Viewable windows that the picture shows, bottom to top, each with its picture ready.
    std::vector<const Window*> shownWindows();
    // Where the screen itself shows left-out windows, in root coordinates: their frames, less
    // what opaque rectangular windows shown above them cover. Prepares the shown windows.
    QRegion hiddenArea();
    // The desktop background (_XROOTPMAP_ID), or none: once windows are redirected the root's
    // own background cannot be read.
    xcb_render_picture_t wallpaper();

private:
    bool handleStructureEvent(const xcb_generic_event_t* event);
    void readInitialTree();
    Window& add(xcb_window_t id, bool onTop);
    void remove(xcb_window_t id);
    void restack(xcb_window_t id, xcb_window_t above);
    void invalidateContent(Window& window);
    void releaseDamage(Window& window);
    void markMapped(Window& window);
    bool prepare(Window& window);
    Window* find(xcb_window_t id);

    XcbConnection& m_connection;
    ExclusionRule m_rule;
    X11WindowInspector m_inspector;
    std::unordered_map<xcb_window_t, Window> m_windows;
    std::vector<xcb_window_t> m_stacking;
    std::vector<xcb_window_t> m_pendingOwners;
    X11Wallpaper m_wallpaper;
    xcb_xfixes_region_t m_damage = XCB_NONE;
    xcb_xfixes_region_t m_scratch = XCB_NONE;
    bool m_fullDamage = true;
};
