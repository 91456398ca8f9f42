#include "capture/x11/X11WindowInspector.h"

#include "x11/XcbOwners.h"

#include <xcb/res.h>

#include <QFile>

#include <vector>

namespace {

constexpr uint32_t kMaxPropertyLength = 4096;

XcbReply<xcb_get_property_reply_t> getProperty(xcb_connection_t* connection, xcb_window_t window,
                                               xcb_atom_t property, xcb_atom_t type) {
    return XcbReply<xcb_get_property_reply_t>(xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, window, property, type, 0, kMaxPropertyLength),
        nullptr));
}

}  // namespace

bool X11WindowInspector::hasProperty(xcb_window_t window, xcb_atom_t property) const {
    const auto reply = getProperty(m_connection.get(), window, property, XCB_GET_PROPERTY_TYPE_ANY);
    return reply && reply->type != XCB_ATOM_NONE;
}

xcb_window_t X11WindowInspector::findClient(xcb_window_t topLevel) const {
    const xcb_atom_t wmState = m_connection.atom(XcbConnection::kWmState);
    if (hasProperty(topLevel, wmState)) {
        return topLevel;
    }
    xcb_connection_t* connection = m_connection.get();
    XcbReply<xcb_query_tree_reply_t> tree(
        xcb_query_tree_reply(connection, xcb_query_tree(connection, topLevel), nullptr));
    if (!tree) {
        return topLevel;
    }
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    const int count = xcb_query_tree_children_length(tree.get());
    const uint32_t clientMask = ~m_connection.resourceIdMask();
    xcb_window_t foreign = XCB_WINDOW_NONE;
    // Topmost first: a frame's client is normally its only or its last child.
    for (int i = count - 1; i >= 0; --i) {
        if (hasProperty(children[i], wmState)) {
            return children[i];
        }
        if (foreign == XCB_WINDOW_NONE && (children[i] & clientMask) != (topLevel & clientMask)) {
            foreign = children[i];
        }
    }
    // Some managers nest the client one level deeper (frame → wrapper → client).
    for (int i = count - 1; i >= 0; --i) {
        XcbReply<xcb_query_tree_reply_t> inner(
            xcb_query_tree_reply(connection, xcb_query_tree(connection, children[i]), nullptr));
        if (!inner) {
            continue;
        }
        const xcb_window_t* grandchildren = xcb_query_tree_children(inner.get());
        for (int j = xcb_query_tree_children_length(inner.get()) - 1; j >= 0; --j) {
            if (hasProperty(grandchildren[j], wmState)) {
                return grandchildren[j];
            }
        }
    }
    return foreign != XCB_WINDOW_NONE ? foreign : topLevel;
}

std::optional<QString> X11WindowInspector::title(xcb_window_t client) const {
    xcb_connection_t* connection = m_connection.get();
    if (const auto name =
            getProperty(connection, client, m_connection.atom(XcbConnection::kNetWmName),
                        m_connection.atom(XcbConnection::kUtf8String));
        name && name->type != XCB_ATOM_NONE) {
        return QString::fromUtf8(static_cast<const char*>(xcb_get_property_value(name.get())),
                                 xcb_get_property_value_length(name.get()));
    }
    const auto legacy =
        getProperty(connection, client, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY);
    if (!legacy || legacy->type == XCB_ATOM_NONE) {
        return std::nullopt;
    }
    const char* value = static_cast<const char*>(xcb_get_property_value(legacy.get()));
    const int length = xcb_get_property_value_length(legacy.get());
    return legacy->type == m_connection.atom(XcbConnection::kUtf8String)
               ? QString::fromUtf8(value, length)
               : QString::fromLatin1(value, length);
}

QString X11WindowInspector::windowClass(xcb_window_t client) const {
    const auto reply = getProperty(m_connection.get(), client, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING);
    if (!reply || reply->type == XCB_ATOM_NONE) {
        return {};
    }
    // "instance\0class\0"
    const QByteArray value(static_cast<const char*>(xcb_get_property_value(reply.get())),
                           xcb_get_property_value_length(reply.get()));
    const QList<QByteArray> parts = value.split('\0');
    return parts.size() >= 2 ? QString::fromLocal8Bit(parts.at(1)) : QString();
}

X11WindowInspector::WindowKind X11WindowInspector::windowKind(xcb_window_t client) const {
    const auto reply =
        getProperty(m_connection.get(), client, m_connection.atom(XcbConnection::kNetWmWindowType),
                    XCB_ATOM_ATOM);
    if (!reply || reply->type == XCB_ATOM_NONE) {
        return WindowKind::normal;
    }
    const auto* types = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply.get()));
    const int count = xcb_get_property_value_length(reply.get()) / int(sizeof(xcb_atom_t));
    for (int i = 0; i < count; ++i) {
        if (types[i] == m_connection.atom(XcbConnection::kNetWmWindowTypeDesktop)) {
            return WindowKind::desktop;
        }
        if (types[i] == m_connection.atom(XcbConnection::kNetWmWindowTypeDock)) {
            return WindowKind::dock;
        }
        if (types[i] == m_connection.atom(XcbConnection::kNetWmWindowTypeNotification)) {
            return WindowKind::notification;
        }
    }
    return WindowKind::normal;
}

void X11WindowInspector::refreshClientProcesses() {
    m_processByClient.clear();
    if (!m_connection.hasClientIds()) {
        return;
    }
    xcb_connection_t* connection = m_connection.get();
    // Client 0 asks about every client at once.
    const xcb_res_client_id_spec_t all{0, XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID};
    XcbReply<xcb_res_query_client_ids_reply_t> reply(xcb_res_query_client_ids_reply(
        connection, xcb_res_query_client_ids(connection, 1, &all), nullptr));
    if (!reply) {
        return;
    }
    for (auto it = xcb_res_query_client_ids_ids_iterator(reply.get()); it.rem;
         xcb_res_client_id_value_next(&it)) {
        if ((it.data->spec.mask & XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID) &&
            xcb_res_client_id_value_value_length(it.data) >= 1) {
            m_processByClient[it.data->spec.client] =
                static_cast<qint32>(*xcb_res_client_id_value_value(it.data));
        }
    }
}

std::optional<qint32> X11WindowInspector::owningProcess(xcb_window_t window) {
    const uint32_t client = window & ~m_connection.resourceIdMask();
    auto found = m_processByClient.find(client);
    if (found == m_processByClient.end()) {
        refreshClientProcesses();
        found = m_processByClient.find(client);
    }
    if (found != m_processByClient.end()) {
        return found->second;
    }
    const auto reply = getProperty(m_connection.get(), window,
                                   m_connection.atom(XcbConnection::kNetWmPid), XCB_ATOM_CARDINAL);
    if (reply && reply->type == XCB_ATOM_CARDINAL &&
        xcb_get_property_value_length(reply.get()) >= 4) {
        return static_cast<qint32>(
            *static_cast<const uint32_t*>(xcb_get_property_value(reply.get())));
    }
    return std::nullopt;
}

QString X11WindowInspector::processName(qint32 processID) {
    QFile comm(QStringLiteral("/proc/%1/comm").arg(processID));
    if (!comm.open(QIODevice::ReadOnly)) {
        return {};
    }
    return QString::fromLocal8Bit(comm.readAll()).trimmed();
}
