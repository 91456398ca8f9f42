#include "ocr/x11/X11CompositorFollower.h"

#include "ocr/x11/X11Compositor.h"
#include "x11/XcbOwners.h"

#include <QCoreApplication>

#include <xcb/xcb.h>
#include <xcb/xfixes.h>

X11CompositorFollower::X11CompositorFollower(QObject* parent)
    : QObject(parent) {
    xcb_connection_t* c = X11Compositor::qtConnection();
    if (c == nullptr) {
        return;
    }
    const xcb_query_extension_reply_t* xfixes = xcb_get_extension_data(c, &xcb_xfixes_id);
    if (xfixes == nullptr || !xfixes->present) {
        return;
    }
    // Selection events need XFixes 2 or later; asking again on Qt's connection is harmless.
    const XcbReply<xcb_xfixes_query_version_reply_t> version(xcb_xfixes_query_version_reply(
        c, xcb_xfixes_query_version(c, XCB_XFIXES_MAJOR_VERSION, XCB_XFIXES_MINOR_VERSION),
        nullptr));
    if (!version || version->major_version < 2) {
        return;
    }
    const QByteArray name = X11Compositor::selectionName();
    const XcbReply<xcb_intern_atom_reply_t> atom(xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, static_cast<uint16_t>(name.size()), name.constData()), nullptr));
    if (!atom) {
        return;
    }
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    int number = X11Compositor::screenNumber();
    for (auto it = xcb_setup_roots_iterator(xcb_get_setup(c)); it.rem; xcb_screen_next(&it)) {
        if (number-- == 0) {
            screen = it.data;
            break;
        }
    }
    m_selection = atom->atom;
    m_firstEvent = xfixes->first_event;
    xcb_xfixes_select_selection_input(c, screen->root, m_selection,
                                      XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER |
                                          XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY |
                                          XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
    xcb_flush(c);
    QCoreApplication::instance()->installNativeEventFilter(this);
}

X11CompositorFollower::~X11CompositorFollower() {
    if (m_selection != 0 && QCoreApplication::instance() != nullptr) {
        QCoreApplication::instance()->removeNativeEventFilter(this);
    }
}

bool X11CompositorFollower::nativeEventFilter(const QByteArray& eventType, void* message,
                                              qintptr* /*result*/) {
    if (m_selection == 0 || eventType != "xcb_generic_event_t") {
        return false;
    }
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7f) != m_firstEvent + XCB_XFIXES_SELECTION_NOTIFY) {
        return false;
    }
    const auto* notify = reinterpret_cast<const xcb_xfixes_selection_notify_event_t*>(event);
    if (notify->selection == m_selection) {
        Q_EMIT changed(notify->subtype == XCB_XFIXES_SELECTION_EVENT_SET_SELECTION_OWNER &&
                       notify->owner != XCB_WINDOW_NONE);
    }
    return false;  // Qt follows the same selection for its own purposes
}
