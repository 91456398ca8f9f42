#include "capture/x11/X11Displays.h"

#include "capture/x11/XcbConnection.h"
#include "x11/XcbOwners.h"

#include <xcb/randr.h>

namespace X11Displays {

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
    return displays;
}

}  // namespace X11Displays
