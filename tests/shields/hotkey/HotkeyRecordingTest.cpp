#include "shields/hotkey/HotkeyRecording.h"

#include "support/QtPrinters.h"

#include <QKeyEvent>

#include <gtest/gtest.h>

namespace {

using Action = HotkeyRecording::Action;

HotkeyRecording::Decision press(int key, Qt::KeyboardModifiers modifiers) {
    const QKeyEvent event(QEvent::KeyPress, key, modifiers);
    return HotkeyRecording::decide(event);
}

}  // namespace

TEST(HotkeyRecordingTest, KeysThatAreNoCombinationKeepRecordingAndEscapeAloneCancels) {
    EXPECT_EQ(
        HotkeyRecording::decide(40, Qt::ShiftModifier | Qt::KeypadModifier, QStringLiteral("k"))
            .action,
        Action::KeepRecording);
    // Shift does not make Escape a combination, nor does it cancel.
    EXPECT_EQ(HotkeyRecording::decide(53, Qt::ShiftModifier, {}).action, Action::KeepRecording);
    EXPECT_EQ(HotkeyRecording::decide(53, Qt::NoModifier, {}).action, Action::Cancel);
    EXPECT_EQ(press(Qt::Key_Escape, Qt::NoModifier).action, Action::Cancel);

    // Keys without a virtual key code, even with control or command held.
    for (const int key : {Qt::Key_Control, Qt::Key_Eacute}) {
        EXPECT_EQ(press(key, Qt::ControlModifier | Qt::MetaModifier).action, Action::KeepRecording)
            << key;
    }
}

TEST(HotkeyRecordingTest, QtKeyEventsRecordVirtualKeyCodeMaskAndLabel) {
    struct Case {
        int key;
        Qt::KeyboardModifiers modifiers;
        quint32 keyCode;
        quint32 mask;
        QString label;
    };
    const Qt::KeyboardModifiers control = Qt::ControlModifier;
    const Qt::KeyboardModifiers keypad = Qt::ControlModifier | Qt::KeypadModifier;
    const std::vector<Case> cases{
        {Qt::Key_K, Qt::ShiftModifier | Qt::MetaModifier, 40, 0x300, QStringLiteral("K")},
        {Qt::Key_Escape, Qt::MetaModifier, 53, 0x100, QStringLiteral("Esc")},
        // Shifted symbols of the US layout are their unshifted key, with shift kept in the mask.
        {Qt::Key_Exclam, Qt::ShiftModifier | control, 18, 0x1200, QStringLiteral("1")},
        {Qt::Key_Backtab, Qt::ShiftModifier | Qt::AltModifier, 48, 0xA00, QStringLiteral("Tab")},
        {Qt::Key_Slash, control, 44, 0x1000, QStringLiteral("/")},
        {Qt::Key_Slash, keypad, 75, 0x1000, QStringLiteral("/")},
        {Qt::Key_5, keypad, 87, 0x1000, QStringLiteral("5")},
        {Qt::Key_Enter, keypad, 76, 0x1000, QStringLiteral("Key 76")},
        // Keypad navigation (Num Lock off) is the navigation key.
        {Qt::Key_Home, keypad, 115, 0x1000, QStringLiteral("Home")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "virtual key code " << c.keyCode);
        const HotkeyRecording::Decision decision = press(c.key, c.modifiers);
        EXPECT_EQ(decision.action, Action::Record);
        EXPECT_EQ(decision.keyCode, c.keyCode);
        EXPECT_EQ(decision.modifiers, c.mask);
        EXPECT_EQ(decision.label, c.label);
    }
}
