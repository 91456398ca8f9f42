#pragma once

#include "x11/XcbOwners.h"

#include <xcb/render.h>
#include <xcb/xcb.h>

#include <QByteArray>

#include <array>

// One connection to the X server with what capture needs of it: the root, the atoms and the
// extensions (Composite, Render, XFixes and Damage are required; Shape, MIT-SHM, RandR and
// X-Resource are used when present). Throws CaptureError when the server cannot be reached or
// lacks a required extension.
class XcbConnection {
public:
    enum Atom {
        kWmState,
        kNetWmName,
        kUtf8String,
        kNetWmPid,
        kNetWmWindowType,
        kNetWmWindowTypeDesktop,
        kNetWmWindowTypeDock,
        kNetWmWindowTypeNotification,
        kXRootPmapId,
        kNetWmCmS0,
        kEsetrootPmapId,
        kAtomCount
    };

    struct Extension {
        bool present = false;
        uint8_t firstEvent = 0;
        uint8_t firstError = 0;
        uint8_t majorOpcode = 0;
    };

    // `displayName` empty: $DISPLAY.
    explicit XcbConnection(const QByteArray& displayName = {});
    ~XcbConnection();
    XcbConnection(const XcbConnection&) = delete;
    XcbConnection& operator=(const XcbConnection&) = delete;

    xcb_connection_t* get() const { return m_connection.get(); }
    xcb_screen_t* screen() const { return m_screen; }
    xcb_window_t root() const { return m_screen->root; }
    // The bits of an XID that number resources within one client; the rest name the client.
    uint32_t resourceIdMask() const;
    xcb_atom_t atom(Atom atom) const { return m_atoms[atom]; }
    bool hasError() const { return xcb_connection_has_error(m_connection.get()) != 0; }

    const Extension& damage() const { return m_damage; }
    const Extension& xfixes() const { return m_xfixes; }
    const Extension& shape() const { return m_shape; }
    const Extension& shm() const { return m_shm; }
    const Extension& randr() const { return m_randr; }
    bool hasMonitors() const { return m_randrMonitors; }
    bool hasClientIds() const { return m_resClientIds; }
    // Whether MIT-SHM can make a pixmap of shared memory, drawn into by the server directly.
    bool hasSharedPixmaps() const { return m_shmPixmaps; }

    xcb_render_pictformat_t argbFormat() const { return m_argbFormat; }
    // The picture format matching a window's visual; 0 when there is none.
    xcb_render_pictformat_t formatForVisual(xcb_visualid_t visual) const;
    // Whether the format carries alpha (32-bit visuals of translucent clients).
    bool formatHasAlpha(xcb_render_pictformat_t format) const;

private:
    void internAtoms();
    void queryExtensions();

    // Declared first, so that it closes after everything read through it is freed.
    XcbConnectionPtr m_connection;
    xcb_screen_t* m_screen = nullptr;
    std::array<xcb_atom_t, kAtomCount> m_atoms{};
    Extension m_damage, m_xfixes, m_shape, m_shm, m_randr, m_composite, m_render, m_res;
    bool m_randrMonitors = false;
    bool m_resClientIds = false;
    bool m_shmPixmaps = false;
    xcb_render_pictformat_t m_argbFormat = 0;
    XcbReply<xcb_render_query_pict_formats_reply_t> m_formats;
};
