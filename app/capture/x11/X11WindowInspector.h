#pragma once

#include "capture/x11/XcbConnection.h"

#include <QString>

#include <optional>
#include <unordered_map>

// Answers questions about one window with round trips: which client window a top-level frames,
// its title, class, type and owning process. For use off the GUI thread, on events or listings,
// never per frame.
class X11WindowInspector {
public:
    enum class WindowKind { normal, desktop, dock, notification };

    explicit X11WindowInspector(const XcbConnection& connection)
        : m_connection(connection) {}

    // The window that carries the application's properties: the top-level itself when it has
    // WM_STATE or is not a window manager's frame; else the child that the manager reparented
    // into it (marked by WM_STATE, or by belonging to another X client).
    xcb_window_t findClient(xcb_window_t topLevel) const;

    std::optional<QString> title(xcb_window_t client) const;
    // The class part of WM_CLASS ("XTerm"), empty when unset.
    QString windowClass(xcb_window_t client) const;
    WindowKind windowKind(xcb_window_t client) const;

    // The local process that created `window` (X-Resource, asked once for all clients and cached),
    // else the window's _NET_WM_PID.
    std::optional<qint32> owningProcess(xcb_window_t window);
    // Client numbers are reused once a client leaves: call when new windows appear.
    void forgetClientProcesses() { m_processByClient.clear(); }

    // What /proc says the process is called, empty when it is gone.
    static QString processName(qint32 processID);

private:
    bool hasProperty(xcb_window_t window, xcb_atom_t property) const;
    void refreshClientProcesses();

    const XcbConnection& m_connection;
    std::unordered_map<uint32_t, qint32> m_processByClient;
};
