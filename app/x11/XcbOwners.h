#pragma once

#include <xcb/xcb.h>

#include <QByteArray>

#include <cstdlib>
#include <memory>

// Owners for what XCB hands out, shared by every x11/ backend.
//
// Replies, errors and events are allocated by XCB with malloc and owned by the caller from the
// moment they are returned. A reply is null when its request failed: a window can vanish between
// two requests, so every reply is checked before use.
struct XcbFree {
    void operator()(void* pointer) const { std::free(pointer); }
};

template <typename T>
using XcbReply = std::unique_ptr<T, XcbFree>;

using XcbEvent = XcbReply<xcb_generic_event_t>;

struct XcbDisconnect {
    void operator()(xcb_connection_t* connection) const { xcb_disconnect(connection); }
};

// xcb_connect never returns null: a failed connection is an object in an error state, which must
// still be disconnected.
using XcbConnectionPtr = std::unique_ptr<xcb_connection_t, XcbDisconnect>;

// Connects to `displayName` ($DISPLAY when empty) and stores the screen it names in
// `screenNumber`. Check xcb_connection_has_error() before use.
inline XcbConnectionPtr xcbConnect(const QByteArray& displayName, int& screenNumber) {
    screenNumber = 0;
    return XcbConnectionPtr(
        xcb_connect(displayName.isEmpty() ? nullptr : displayName.constData(), &screenNumber));
}

// The screen numbered `screenNumber`, or null when the server has no such screen.
inline xcb_screen_t* xcbScreen(xcb_connection_t* connection, int screenNumber) {
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screenNumber && it.rem > 0; ++i) {
        xcb_screen_next(&it);
    }
    return it.rem > 0 ? it.data : nullptr;
}

// Drops every event already received or waiting on the socket.
inline void xcbDiscardEvents(xcb_connection_t* connection) {
    while (XcbEvent event{xcb_poll_for_event(connection)}) {
    }
}
