#include "capture/x11/X11Wallpaper.h"

#include "x11/XcbOwners.h"

namespace {

// The helper lies this far off the screen's top-left corner, a multiple of its size, so its
// pixels line up with the root's background tile modulo the helper's size.
constexpr int16_t kHelperOffset = -4096;
constexpr uint16_t kHelperSize = 256;

}  // namespace

X11Wallpaper::X11Wallpaper(const XcbConnection& connection)
    : m_connection(connection) {}

X11Wallpaper::~X11Wallpaper() {
    drop();
    if (m_helper != XCB_NONE) {
        xcb_destroy_window(m_connection.get(), m_helper);
    }
}

xcb_render_picture_t X11Wallpaper::picture() {
    if (!m_known) {
        m_known = true;
        m_picture = announcedPicture(XcbConnection::kXRootPmapId);
        if (m_picture == XCB_NONE) {
            m_picture = announcedPicture(XcbConnection::kEsetrootPmapId);
        }
        if (m_picture == XCB_NONE) {
            m_picture = rootBackgroundPicture();
            m_fromHelper = m_picture != XCB_NONE;
        }
    }
    if (m_fromHelper) {
        // The root's background may have changed since (no event tells); painting it again costs
        // one small fill on the server.
        xcb_clear_area(m_connection.get(), 0, m_helper, 0, 0, 0, 0);
    }
    return m_picture;
}

xcb_render_picture_t X11Wallpaper::announcedPicture(XcbConnection::Atom property) {
    xcb_connection_t* c = m_connection.get();
    XcbReply<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(c,
                               xcb_get_property(c, 0, m_connection.root(),
                                                m_connection.atom(property), XCB_ATOM_PIXMAP, 0, 1),
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
    // A pixmap freed by its setter makes this request fail (BadPixmap) harmlessly; the
    // picture then shows black, as before any wallpaper.
    const xcb_render_picture_t picture = xcb_generate_id(c);
    const uint32_t repeat = XCB_RENDER_REPEAT_NORMAL;
    xcb_render_create_picture(c, picture, pixmap, format, XCB_RENDER_CP_REPEAT, &repeat);
    return picture;
}

xcb_render_picture_t X11Wallpaper::rootBackgroundPicture() {
    xcb_connection_t* c = m_connection.get();
    const xcb_screen_t* screen = m_connection.screen();
    const xcb_render_pictformat_t format = m_connection.formatForVisual(screen->root_visual);
    if (format == 0) {
        return XCB_NONE;
    }
    if (m_helper == XCB_NONE) {
        // Override-redirect: no window manager frames, lists or moves it. Redirected like every
        // top-level, so its pixels exist although it is off the screen.
        m_helper = xcb_generate_id(c);
        const uint32_t values[] = {XCB_BACK_PIXMAP_PARENT_RELATIVE, 1};
        xcb_create_window(c, screen->root_depth, m_helper, screen->root, kHelperOffset,
                          kHelperOffset, kHelperSize, kHelperSize, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                          screen->root_visual, XCB_CW_BACK_PIXMAP | XCB_CW_OVERRIDE_REDIRECT,
                          values);
        xcb_map_window(c, m_helper);
    }
    const xcb_render_picture_t picture = xcb_generate_id(c);
    const uint32_t repeat = XCB_RENDER_REPEAT_NORMAL;
    xcb_render_create_picture(c, picture, m_helper, format, XCB_RENDER_CP_REPEAT, &repeat);
    return picture;
}

void X11Wallpaper::drop() {
    if (m_picture != XCB_NONE) {
        xcb_render_free_picture(m_connection.get(), m_picture);
        m_picture = XCB_NONE;
    }
    m_fromHelper = false;
    m_known = false;
}
