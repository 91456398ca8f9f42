#include "capture/x11/X11Wallpaper.h"

#include "x11/XcbOwners.h"

X11Wallpaper::X11Wallpaper(const XcbConnection& connection)
    : m_connection(connection) {}

X11Wallpaper::~X11Wallpaper() {
    drop();
}

xcb_render_picture_t X11Wallpaper::picture() {
    if (m_known) {
        return m_picture;
    }
    m_known = true;
    xcb_connection_t* c = m_connection.get();
    XcbReply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        c,
        xcb_get_property(c, 0, m_connection.root(), m_connection.atom(XcbConnection::kXRootPmapId),
                         XCB_ATOM_PIXMAP, 0, 1),
        nullptr));
    if (!reply || reply->type != XCB_ATOM_PIXMAP ||
        xcb_get_property_value_length(reply.get()) < 4) {
        return XCB_NONE;
    }
    const xcb_pixmap_t pixmap =
        *static_cast<const xcb_pixmap_t*>(xcb_get_property_value(reply.get()));
    const xcb_render_pictformat_t format =
        m_connection.formatForVisual(m_connection.screen()->root_visual);
    if (pixmap == XCB_PIXMAP_NONE || format == 0) {
        return XCB_NONE;
    }
    m_picture = xcb_generate_id(c);
    const uint32_t repeat = XCB_RENDER_REPEAT_NORMAL;
    xcb_render_create_picture(c, m_picture, pixmap, format, XCB_RENDER_CP_REPEAT, &repeat);
    return m_picture;
}

void X11Wallpaper::drop() {
    if (m_picture != XCB_NONE) {
        xcb_render_free_picture(m_connection.get(), m_picture);
        m_picture = XCB_NONE;
    }
    m_known = false;
}
