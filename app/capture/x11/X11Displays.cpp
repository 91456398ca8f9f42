#include "capture/x11/X11Displays.h"

#include "capture/DesktopScale.h"
#include "capture/x11/XcbConnection.h"
#include "x11/XcbOwners.h"

#include <xcb/randr.h>

namespace X11Displays {
namespace {

// The root window's X resource database, where xrdb and desktops put Xft.dpi.
QByteArray resourceManager(const XcbConnection& connection) {
    xcb_connection_t* c = connection.get();
    // 64 KiB of resources is far more than any desktop writes; Xft.dpi comes early.
    XcbReply<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(c,
                               xcb_get_property(c, 0, connection.root(), XCB_ATOM_RESOURCE_MANAGER,
                                                XCB_ATOM_STRING, 0, 16384),
                               nullptr));
    if (!reply || reply->format != 8) {
        return {};
    }
    return QByteArray(static_cast<const char*>(xcb_get_property_value(reply.get())),
                      xcb_get_property_value_length(reply.get()));
}

// Points are pixels over the scale; a scale that does not divide the pixel size would lose
// pixels from the live picture, so such a display keeps one point per pixel.
void applyScale(QList<ShareableDisplay>& displays, int scale) {
    for (ShareableDisplay& display : displays) {
        if (scale > 1 && display.width % scale == 0 && display.height % scale == 0) {
            display.width /= scale;
            display.height /= scale;
            display.scaleFactor = scale;
        }
    }
}

}  // namespace

QList<ShareableDisplay> read(const XcbConnection& connection) {
    QList<ShareableDisplay> displays;
    if (connection.hasMonitors()) {
        xcb_connection_t* c = connection.get();
        XcbReply<xcb_randr_get_monitors_reply_t> reply(xcb_randr_get_monitors_reply(
            c, xcb_randr_get_monitors(c, connection.root(), 1), nullptr));
        if (reply) {
            for (auto it = xcb_randr_get_monitors_monitors_iterator(reply.get()); it.rem;
                 xcb_randr_monitor_info_next(&it)) {
                const xcb_randr_monitor_info_t* monitor = it.data;
                if (monitor->width == 0 || monitor->height == 0) {
                    continue;
                }
                ShareableDisplay display;
                display.displayID = monitor->name;
                display.width = monitor->width;
                display.height = monitor->height;
                display.frame = QRect(monitor->x, monitor->y, monitor->width, monitor->height);
                if (monitor->primary) {
                    displays.prepend(display);
                } else {
                    displays.append(display);
                }
            }
        }
    }
    if (displays.isEmpty()) {
        const xcb_screen_t* screen = connection.screen();
        if (screen->width_in_pixels > 0 && screen->height_in_pixels > 0) {
            ShareableDisplay display;
            display.width = screen->width_in_pixels;
            display.height = screen->height_in_pixels;
            display.frame = QRect(0, 0, display.width, display.height);
            displays.append(display);
        }
    }
    applyScale(displays,
               DesktopScale::fromEnvironment(DesktopScale::xftDpi(resourceManager(connection))));
    return displays;
}

}  // namespace X11Displays
