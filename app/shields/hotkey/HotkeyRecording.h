#pragma once

#include <QString>
#include <QtGlobal>

class QKeyEvent;

// What a key press does while the settings row records a new hot key. The row swallows every key
// press while recording, whatever the decision.
class HotkeyRecording final {
public:
    enum class Action {
        // Not a combination (no control, option or command held): keep waiting.
        KeepRecording,
        // Escape alone: stop without changing anything.
        Cancel,
        // Store `keyCode`, `modifiers` and `label` as the new hot key and stop.
        Record,
    };

    struct Decision {
        Action action = Action::KeepRecording;
        quint32 keyCode = 0;
        quint32 modifiers = 0;
        QString label;
    };

    static constexpr quint32 kEscapeKeyCode = 53;

    // `characters`: what the key types without modifiers.
    static Decision decide(quint32 keyCode, Qt::KeyboardModifiers modifiers,
                           const QString& characters);

    // The same for a Qt key event; keys without a virtual key code keep recording.
    static Decision decide(const QKeyEvent& event);
};
