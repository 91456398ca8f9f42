#pragma once

#include <QtGlobal>

#include <functional>
#include <memory>

// The system-wide key grab behind HotkeyManager. Combinations are given as macOS virtual key
// codes and Carbon modifier masks, the stored form of the hot key; the backend translates them.
//
// Used from the GUI thread only. The pressed handler is called on the GUI thread from the event
// loop, never from inside grab() or ungrab().
class HotkeyGrabber {
public:
    using PressedHandler = std::function<void()>;

    virtual ~HotkeyGrabber() = default;

    // The one handler run for every press of the grabbed combination; replaces any earlier one.
    virtual void setPressedHandler(PressedHandler handler) = 0;

    // Releases any earlier grab, then grabs the combination. false when it is refused (held by
    // another client, not on the keyboard, or no display); nothing is grabbed in that case.
    virtual bool grab(quint32 keyCode, quint32 modifiers) = 0;

    // Releases the grab, if any.
    virtual void ungrab() = 0;

    // The grabber for this session's display ($DISPLAY).
    static std::unique_ptr<HotkeyGrabber> createDefault();
};
