#include "capture/x11/X11ContentReader.h"

#include "capture/x11/X11Displays.h"
#include "capture/x11/X11TopLevels.h"
#include "capture/x11/X11WindowInspector.h"
#include "capture/x11/XcbConnection.h"
#include "x11/XcbOwners.h"

#include <QSet>

#include <vector>

namespace {

QString applicationName(X11WindowInspector& inspector, xcb_window_t client,
                        X11WindowInspector::WindowKind kind, qint32 processID) {
    switch (kind) {
        case X11WindowInspector::WindowKind::desktop:
            return QStringLiteral("Wallpaper");
        case X11WindowInspector::WindowKind::dock:
            return QStringLiteral("Dock");
        case X11WindowInspector::WindowKind::notification:
            return QStringLiteral("Notification Center");
        case X11WindowInspector::WindowKind::normal:
            break;
    }
    const QString windowClass = inspector.windowClass(client);
    return windowClass.isEmpty() ? X11WindowInspector::processName(processID) : windowClass;
}

}  // namespace

namespace X11ContentReader {

ShareableContent read(const XcbConnection& connection) {
    ShareableContent content;
    content.displays = X11Displays::read(connection);

    const auto topLevels = readTopLevels(connection);
    if (!topLevels) {
        return content;
    }

    const QRect screen(0, 0, connection.screen()->width_in_pixels,
                       connection.screen()->height_in_pixels);
    X11WindowInspector inspector(connection);
    QSet<qint32> seenProcesses;
    // The tree lists bottom to top; the content lists front to back.
    for (auto it = topLevels->crbegin(); it != topLevels->crend(); ++it) {
        const xcb_get_window_attributes_reply_t& attributes = *it->attributes;
        const xcb_get_geometry_reply_t& geometry = *it->geometry;
        if (attributes.map_state != XCB_MAP_STATE_VIEWABLE ||
            attributes._class != XCB_WINDOW_CLASS_INPUT_OUTPUT) {
            continue;
        }
        const QRect frame(geometry.x, geometry.y, geometry.width + 2 * geometry.border_width,
                          geometry.height + 2 * geometry.border_width);
        if (!frame.intersects(screen)) {
            continue;
        }
        const xcb_window_t client = inspector.findClient(it->id);
        ShareableWindow window;
        window.windowID = client;
        window.title = inspector.title(client);
        window.frame = frame;
        window.isOnScreen = true;
        if (const std::optional<qint32> processID = inspector.owningProcess(client)) {
            const auto kind = inspector.windowKind(client);
            window.owningApplication = RunningApplication{
                *processID, applicationName(inspector, client, kind, *processID)};
            if (!seenProcesses.contains(*processID)) {
                seenProcesses.insert(*processID);
                content.applications.append(*window.owningApplication);
            }
        }
        content.windows.append(window);
    }
    return content;
}

}  // namespace X11ContentReader
