#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>

#include <optional>

// Qt key events to the macOS virtual key codes in which the hot key is stored. Keys are matched
// by the symbol they type (Qt::Key), so a letter records the same code whatever the layout puts it
// under; shifted symbols of the US layout ("!" for 1) map to their unshifted key, since the
// recorded combination keeps shift as a modifier.
class QtKeyTranslation final {
public:
    // The virtual key code for a key event's key() and modifiers(), or nothing for keys the hot
    // key cannot use (modifier keys alone, media keys, letters outside ASCII).
    static std::optional<quint32> virtualKeyCode(int qtKey, Qt::KeyboardModifiers modifiers);

    // What the key types without modifiers on a US layout ("k" for K, "1" for 1); empty for keys
    // that type nothing printable.
    static QString charactersIgnoringModifiers(quint32 keyCode);

    // Every code virtualKeyCode() can return, each once.
    static QList<quint32> producibleKeyCodes();
};
