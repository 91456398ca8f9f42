#include "ocr/x11/X11Compositor.h"

#include "x11/XcbOwners.h"

#include <QByteArray>
#include <QGuiApplication>

#include <xcb/xcb.h>

#include <cstdlib>

namespace X11Compositor {

int screenNumber() {
    int screen = 0;
    if (const char* display = std::getenv("DISPLAY")) {
        const QByteArray name(display);
        const int dot = name.lastIndexOf('.');
        if (dot > name.lastIndexOf(':')) {
            screen = name.mid(dot + 1).toInt();
        }
    }
    return screen;
}

QByteArray selectionName() {
    return "_NET_WM_CM_S" + QByteArray::number(screenNumber());
}

xcb_connection_t* qtConnection() {
    const auto* x11 = qGuiApp != nullptr
                          ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>()
                          : nullptr;
    return x11 != nullptr ? x11->connection() : nullptr;
}

std::optional<bool> isRunning() {
    xcb_connection_t* connection = qtConnection();
    if (connection == nullptr) {
        return std::nullopt;
    }
    const QByteArray atomName = selectionName();
    const XcbReply<xcb_intern_atom_reply_t> atom(
        xcb_intern_atom_reply(connection,
                              xcb_intern_atom(connection, 1, static_cast<uint16_t>(atomName.size()),
                                              atomName.constData()),
                              nullptr));
    if (!atom || atom->atom == XCB_ATOM_NONE) {
        return false;
    }
    const XcbReply<xcb_get_selection_owner_reply_t> owner(xcb_get_selection_owner_reply(
        connection, xcb_get_selection_owner(connection, atom->atom), nullptr));
    return owner && owner->owner != XCB_WINDOW_NONE;
}

}  // namespace X11Compositor
