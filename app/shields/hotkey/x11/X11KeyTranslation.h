#pragma once

#include <QList>
#include <QtGlobal>

#include <optional>

// The stored hot key (macOS virtual key code, Carbon mask) in X terms: a keysym, looked up in the
// server's keyboard map when grabbing, and a core modifier mask. Command is Super, option is Alt.
class X11KeyTranslation final {
public:
    // The modifier bits that Alt, Super and Num Lock sit on; the server's modifier map decides,
    // these are the usual places.
    struct ModifierBits {
        quint16 alt = 0x08;      // Mod1
        quint16 super = 0x40;    // Mod4
        quint16 numLock = 0x10;  // Mod2
    };

    static constexpr quint16 kShiftMask = 0x01;
    static constexpr quint16 kLockMask = 0x02;
    static constexpr quint16 kControlMask = 0x04;

    // The keysym of a virtual key code, or nothing for a code no key here produces.
    static std::optional<quint32> keysym(quint32 keyCode);

    // Shift, control, option and command of a Carbon mask; other bits are ignored.
    static quint16 modifierMask(quint32 carbonMask, const ModifierBits& bits);

    // The masks to add to a grab so that it also fires with Caps Lock and/or Num Lock on, each
    // once, starting with 0.
    static QList<quint16> lockVariants(const ModifierBits& bits);
};
