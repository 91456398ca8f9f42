#include "capture/x11/X11TopLevels.h"

std::optional<std::vector<X11TopLevel>> readTopLevels(const XcbConnection& connection) {
    xcb_connection_t* c = connection.get();
    XcbReply<xcb_query_tree_reply_t> tree(
        xcb_query_tree_reply(c, xcb_query_tree(c, connection.root()), nullptr));
    if (!tree) {
        return std::nullopt;
    }
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    const int count = xcb_query_tree_children_length(tree.get());
    std::vector<xcb_get_window_attributes_cookie_t> attributeCookies(count);
    std::vector<xcb_get_geometry_cookie_t> geometryCookies(count);
    for (int i = 0; i < count; ++i) {
        attributeCookies[i] = xcb_get_window_attributes(c, children[i]);
        geometryCookies[i] = xcb_get_geometry(c, children[i]);
    }
    std::vector<X11TopLevel> windows;
    windows.reserve(count);
    for (int i = 0; i < count; ++i) {
        X11TopLevel window{children[i],
                           XcbReply<xcb_get_window_attributes_reply_t>(
                               xcb_get_window_attributes_reply(c, attributeCookies[i], nullptr)),
                           XcbReply<xcb_get_geometry_reply_t>(
                               xcb_get_geometry_reply(c, geometryCookies[i], nullptr))};
        if (window.attributes && window.geometry) {
            windows.push_back(std::move(window));
        }
    }
    return windows;
}
