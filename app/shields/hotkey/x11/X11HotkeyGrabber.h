#pragma once

#include "shields/hotkey/HotkeyGrabber.h"

#include <QByteArray>

#include <memory>

// The hot key as a passive key grab on the root window of a private X connection. The grab also
// covers the Caps Lock and Num Lock variants of the combination; if the server refuses any part of
// it (BadAccess: another client holds it) the whole grab is released and reported as failed.
//
// Key presses are read from the connection's socket by the event loop of the thread that created
// the grabber (the GUI thread), so nothing waits for them. A key held down fires once, not once
// per auto-repeat. A change of the keyboard map grabs the combination anew.
class X11HotkeyGrabber final : public HotkeyGrabber {
public:
    // `displayName` empty: $DISPLAY. Without a display every grab fails.
    explicit X11HotkeyGrabber(const QByteArray& displayName = {});
    ~X11HotkeyGrabber() override;
    X11HotkeyGrabber(const X11HotkeyGrabber&) = delete;
    X11HotkeyGrabber& operator=(const X11HotkeyGrabber&) = delete;

    bool isConnected() const;

    void setPressedHandler(PressedHandler handler) override;
    bool grab(quint32 keyCode, quint32 modifiers) override;
    void ungrab() override;

private:
    // Handles every event that has arrived: presses of the grabbed key, keyboard map changes.
    void readEvents();

    struct Connection;
    std::unique_ptr<Connection> m_connection;
    PressedHandler m_handler;
};
