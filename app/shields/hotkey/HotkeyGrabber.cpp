#include "shields/hotkey/HotkeyGrabber.h"

#include "shields/hotkey/x11/X11HotkeyGrabber.h"

std::unique_ptr<HotkeyGrabber> HotkeyGrabber::createDefault() {
    return std::make_unique<X11HotkeyGrabber>();
}
