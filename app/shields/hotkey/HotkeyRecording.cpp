#include "shields/hotkey/HotkeyRecording.h"

#include "shields/hotkey/HotkeyManager.h"
#include "shields/hotkey/QtKeyTranslation.h"

#include <QKeyEvent>

HotkeyRecording::Decision HotkeyRecording::decide(quint32 keyCode, Qt::KeyboardModifiers modifiers,
                                                  const QString& characters) {
    const Qt::KeyboardModifiers chord = Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;
    if (keyCode == kEscapeKeyCode && !(modifiers & (chord | Qt::ShiftModifier))) {
        return {Action::Cancel, 0, 0, {}};
    }
    if (!(modifiers & chord)) {
        return {Action::KeepRecording, 0, 0, {}};
    }
    return {Action::Record, keyCode, HotkeyManager::carbonModifiers(modifiers),
            HotkeyManager::keyLabel(keyCode, characters)};
}

HotkeyRecording::Decision HotkeyRecording::decide(const QKeyEvent& event) {
    const std::optional<quint32> keyCode =
        QtKeyTranslation::virtualKeyCode(event.key(), event.modifiers());
    if (!keyCode) {
        return {Action::KeepRecording, 0, 0, {}};
    }
    return decide(*keyCode, event.modifiers(),
                  QtKeyTranslation::charactersIgnoringModifiers(*keyCode));
}
