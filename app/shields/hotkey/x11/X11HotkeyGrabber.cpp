#include "shields/hotkey/x11/X11HotkeyGrabber.h"

#include "shields/hotkey/HotkeyLog.h"
#include "shields/hotkey/x11/X11KeyTranslation.h"
#include "x11/XcbOwners.h"

#include <QSocketNotifier>
#include <QTimer>

#include <X11/keysym.h>
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <utility>
#include <vector>

namespace {

struct KeySymbolsFree {
    void operator()(xcb_key_symbols_t* symbols) const { xcb_key_symbols_free(symbols); }
};
struct Grab {
    xcb_keycode_t keycode;
    quint16 modifiers;
};

}  // namespace

struct X11HotkeyGrabber::Connection {
    XcbConnectionPtr connection;
    std::unique_ptr<xcb_key_symbols_t, KeySymbolsFree> symbols;
    std::unique_ptr<QSocketNotifier> notifier;
    xcb_window_t root = XCB_NONE;
    X11KeyTranslation::ModifierBits bits;
    std::vector<Grab> grabs;
    // The combination currently grabbed, to grab anew when the keyboard map changes.
    std::optional<std::pair<quint32, quint32>> grabbedCombo;
    // The last key release, to tell auto-repeat (a release and a press with the same timestamp)
    // from a new press.
    xcb_keycode_t lastReleaseKeycode = 0;
    xcb_timestamp_t lastReleaseTime = 0;
    bool lostReported = false;

    bool isUsable() const { return connection && !xcb_connection_has_error(connection.get()); }
    void readModifierBits();
};

void X11HotkeyGrabber::Connection::readModifierBits() {
    xcb_connection_t* c = connection.get();
    const XcbReply<xcb_get_modifier_mapping_reply_t> reply(
        xcb_get_modifier_mapping_reply(c, xcb_get_modifier_mapping(c), nullptr));
    if (!reply) {
        return;
    }
    const xcb_keycode_t* keycodes = xcb_get_modifier_mapping_keycodes(reply.get());
    const int perModifier = reply->keycodes_per_modifier;
    X11KeyTranslation::ModifierBits found{0, 0, 0};
    // Only Mod1…Mod5 can carry Alt, Super and Num Lock; Shift, Lock and Control are fixed.
    for (int modifier = 3; modifier < 8; ++modifier) {
        const auto bit = quint16(1u << modifier);
        for (int i = 0; i < perModifier; ++i) {
            const xcb_keycode_t keycode = keycodes[modifier * perModifier + i];
            if (keycode == 0) {
                continue;
            }
            for (int column = 0; column < 2; ++column) {
                const xcb_keysym_t keysym =
                    xcb_key_symbols_get_keysym(symbols.get(), keycode, column);
                if ((keysym == XK_Alt_L || keysym == XK_Alt_R) && found.alt == 0) {
                    found.alt = bit;
                } else if ((keysym == XK_Super_L || keysym == XK_Super_R) && found.super == 0) {
                    found.super = bit;
                } else if (keysym == XK_Num_Lock && found.numLock == 0) {
                    found.numLock = bit;
                }
            }
        }
    }
    const X11KeyTranslation::ModifierBits usual;
    bits.alt = found.alt ? found.alt : usual.alt;
    bits.super = found.super ? found.super : usual.super;
    bits.numLock = found.numLock ? found.numLock : usual.numLock;
}

void X11HotkeyGrabber::readEvents() {
    Connection& x = *m_connection;
    if (!x.connection) {
        return;
    }
    bool mappingChanged = false;
    while (const XcbEvent event{xcb_poll_for_event(x.connection.get())}) {
        xcb_generic_event_t* raw = event.get();
        switch (event->response_type & 0x7f) {
            case XCB_KEY_PRESS: {
                const auto* press = reinterpret_cast<const xcb_key_press_event_t*>(raw);
                const bool repeat = press->detail == x.lastReleaseKeycode &&
                                    press->time == x.lastReleaseTime && x.lastReleaseTime != 0;
                // A copy: the handler may replace itself.
                const PressedHandler handler = m_handler;
                if (!repeat && handler) {
                    handler();
                }
                break;
            }
            case XCB_KEY_RELEASE: {
                const auto* release = reinterpret_cast<const xcb_key_release_event_t*>(raw);
                x.lastReleaseKeycode = release->detail;
                x.lastReleaseTime = release->time;
                break;
            }
            case XCB_MAPPING_NOTIFY:
                xcb_refresh_keyboard_mapping(x.symbols.get(),
                                             reinterpret_cast<xcb_mapping_notify_event_t*>(raw));
                mappingChanged = true;
                break;
            default:
                // Errors of unchecked requests (an ungrab of a key that is already gone) and
                // anything else: nothing to do.
                break;
        }
    }
    if (xcb_connection_has_error(x.connection.get())) {
        if (!x.lostReported) {
            x.lostReported = true;
            x.notifier->setEnabled(false);
            qCWarning(lcHotkey) << "Lost the connection to the X server; the hot key is gone";
        }
        return;
    }
    if (mappingChanged) {
        // The key may sit on another keycode, or Super on another modifier, in the new map.
        x.readModifierBits();
        if (const auto combo = x.grabbedCombo) {
            if (!grab(combo->first, combo->second)) {
                qCWarning(lcHotkey) << "The hot key cannot be grabbed in the new keyboard map";
            }
        }
    }
}

X11HotkeyGrabber::X11HotkeyGrabber(const QByteArray& displayName)
    : m_connection(std::make_unique<Connection>()) {
    int screenNumber = 0;
    m_connection->connection = xcbConnect(displayName, screenNumber);
    if (xcb_connection_has_error(m_connection->connection.get())) {
        qCWarning(lcHotkey) << "Cannot open the X display"
                            << (displayName.isEmpty() ? qgetenv("DISPLAY") : displayName)
                            << "for the hot key";
        m_connection->connection.reset();
        return;
    }
    xcb_connection_t* c = m_connection->connection.get();
    const xcb_screen_t* screen = xcbScreen(c, screenNumber);
    if (!screen) {
        qCWarning(lcHotkey) << "The X display has no screen" << screenNumber;
        m_connection->connection.reset();
        return;
    }
    m_connection->root = screen->root;
    m_connection->symbols.reset(xcb_key_symbols_alloc(c));
    if (!m_connection->symbols) {
        m_connection->connection.reset();
        return;
    }
    m_connection->readModifierBits();

    m_connection->notifier =
        std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(c), QSocketNotifier::Read);
    QObject::connect(m_connection->notifier.get(), &QSocketNotifier::activated,
                     m_connection->notifier.get(), [this] { readEvents(); });
}

X11HotkeyGrabber::~X11HotkeyGrabber() {
    ungrab();
    // The notifier goes before the connection whose descriptor it watches.
    m_connection->notifier.reset();
}

bool X11HotkeyGrabber::isConnected() const {
    return m_connection->isUsable();
}

void X11HotkeyGrabber::setPressedHandler(PressedHandler handler) {
    m_handler = std::move(handler);
}

bool X11HotkeyGrabber::grab(quint32 keyCode, quint32 modifiers) {
    ungrab();
    Connection& x = *m_connection;
    if (!x.isUsable()) {
        return false;
    }
    const std::optional<quint32> keysym = X11KeyTranslation::keysym(keyCode);
    if (!keysym) {
        qCWarning(lcHotkey) << "No X key for virtual key code" << keyCode;
        return false;
    }
    std::vector<xcb_keycode_t> keycodes;
    const XcbReply<xcb_keycode_t> found(xcb_key_symbols_get_keycode(x.symbols.get(), *keysym));
    for (const xcb_keycode_t* k = found.get(); k && *k != XCB_NO_SYMBOL; ++k) {
        if (std::find(keycodes.begin(), keycodes.end(), *k) == keycodes.end()) {
            keycodes.push_back(*k);
        }
    }
    if (keycodes.empty()) {
        qCWarning(lcHotkey) << "The keyboard has no key for keysym" << Qt::hex << *keysym;
        return false;
    }

    xcb_connection_t* c = x.connection.get();
    const quint16 mask = X11KeyTranslation::modifierMask(modifiers, x.bits);
    struct Pending {
        Grab grab;
        xcb_void_cookie_t cookie;
    };
    std::vector<Pending> pending;
    for (const xcb_keycode_t keycode : keycodes) {
        for (const quint16 variant : X11KeyTranslation::lockVariants(x.bits)) {
            const auto grabMask = quint16(mask | variant);
            pending.push_back({{keycode, grabMask},
                               xcb_grab_key_checked(c, 0, x.root, grabMask, keycode,
                                                    XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC)});
        }
    }
    bool refused = false;
    for (const Pending& request : pending) {
        const XcbReply<xcb_generic_error_t> error(xcb_request_check(c, request.cookie));
        if (error) {
            refused = true;
        } else {
            x.grabs.push_back(request.grab);
        }
    }
    // The checks above read the socket, so events may wait in XCB's queue where the notifier
    // cannot see them.
    QTimer::singleShot(0, x.notifier.get(), [this] { readEvents(); });
    if (refused) {
        qCWarning(lcHotkey) << "The X server refused the hot key grab (held by another client?)";
        ungrab();
        return false;
    }
    x.grabbedCombo = std::make_pair(keyCode, modifiers);
    return true;
}

void X11HotkeyGrabber::ungrab() {
    Connection& x = *m_connection;
    if (!x.isUsable()) {
        x.grabs.clear();
        x.grabbedCombo.reset();
        return;
    }
    for (const Grab& grab : x.grabs) {
        xcb_ungrab_key(x.connection.get(), grab.keycode, x.root, grab.modifiers);
    }
    x.grabs.clear();
    x.grabbedCombo.reset();
    xcb_flush(x.connection.get());
}
