#include "capture/x11/X11CompositorWatch.h"

#include "x11/XcbOwners.h"

#include <xcb/xfixes.h>

X11CompositorWatch::X11CompositorWatch(const XcbConnection& connection)
    : m_connection(connection)
    , m_selection(connection.atom(XcbConnection::kNetWmCmS0)) {
    if (m_selection == XCB_ATOM_NONE) {
        return;
    }
    xcb_connection_t* c = m_connection.get();
    xcb_xfixes_select_selection_input(c, m_connection.root(), m_selection,
                                      XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER |
                                          XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY |
                                          XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
    XcbReply<xcb_get_selection_owner_reply_t> owner(
        xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, m_selection), nullptr));
    m_running = owner && owner->owner != XCB_WINDOW_NONE;
}

bool X11CompositorWatch::handleEvent(const xcb_generic_event_t* event) {
    const uint8_t type = event->response_type & ~0x80;
    if (type != m_connection.xfixes().firstEvent + XCB_XFIXES_SELECTION_NOTIFY) {
        return false;
    }
    const auto* e = reinterpret_cast<const xcb_xfixes_selection_notify_event_t*>(event);
    if (e->selection != m_selection) {
        return false;
    }
    m_running =
        e->subtype == XCB_XFIXES_SELECTION_EVENT_SET_SELECTION_OWNER && e->owner != XCB_WINDOW_NONE;
    return true;
}
