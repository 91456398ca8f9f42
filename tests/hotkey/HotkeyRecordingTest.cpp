#include "shields/HotkeyRecording.h"

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

TEST(HotkeyRecordingTest, KeyWithoutControlOptionOrCommandKeepsRecording) {
    EXPECT_EQ(HotkeyRecording::decide(40, Qt::NoModifier, QStringLiteral("k")).action,
              Action::KeepRecording);
    EXPECT_EQ(HotkeyRecording::decide(40, Qt::ShiftModifier, QStringLiteral("k")).action,
              Action::KeepRecording);
    EXPECT_EQ(HotkeyRecording::decide(40, Qt::KeypadModifier, QStringLiteral("k")).action,
              Action::KeepRecording);
    // Shift does not make Escape a combination, nor does it cancel.
    EXPECT_EQ(HotkeyRecording::decide(53, Qt::ShiftModifier, {}).action, Action::KeepRecording);
}

TEST(HotkeyRecordingTest, EscapeAloneCancelsButWithCommandIsRecorded) {
    EXPECT_EQ(HotkeyRecording::decide(53, Qt::NoModifier, {}).action, Action::Cancel);
    EXPECT_EQ(press(Qt::Key_Escape, Qt::NoModifier).action, Action::Cancel);

    const HotkeyRecording::Decision withCommand = press(Qt::Key_Escape, Qt::MetaModifier);
    EXPECT_EQ(withCommand.action, Action::Record);
    EXPECT_EQ(withCommand.keyCode, 53u);
    EXPECT_EQ(withCommand.modifiers, 0x100u);
    EXPECT_EQ(withCommand.label, QStringLiteral("⎋"));
}

TEST(HotkeyRecordingTest, QtKeyEventsRecordVirtualKeyCodeMaskAndLabel) {
    struct Case {
        int key;
        Qt::KeyboardModifiers modifiers;
        quint32 keyCode;
        quint32 mask;
        QString label;
    };
    const std::vector<Case> cases{
        {Qt::Key_K, Qt::ShiftModifier | Qt::MetaModifier, 40, 0x300, QStringLiteral("K")},
        {Qt::Key_H, Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier, 4, 0x1900,
         QStringLiteral("H")},
        {Qt::Key_F5, Qt::ControlModifier, 96, 0x1000, QStringLiteral("F5")},
        // Shift turns 1 into "!" on the keyboard; the key is still 1.
        {Qt::Key_Exclam, Qt::ShiftModifier | Qt::ControlModifier, 18, 0x1200, QStringLiteral("1")},
        {Qt::Key_Backtab, Qt::ShiftModifier | Qt::AltModifier, 48, 0xA00, QStringLiteral("⇥")},
        {Qt::Key_Space, Qt::AltModifier | Qt::MetaModifier, 49, 0x900, QStringLiteral("Space")},
        {Qt::Key_Slash, Qt::ControlModifier, 44, 0x1000, QStringLiteral("/")},
        {Qt::Key_Slash, Qt::ControlModifier | Qt::KeypadModifier, 75, 0x1000, QStringLiteral("/")},
        {Qt::Key_Enter, Qt::ControlModifier | Qt::KeypadModifier, 76, 0x1000,
         QStringLiteral("Key 76")},
        {Qt::Key_PageDown, Qt::MetaModifier, 121, 0x100, QStringLiteral("⇟")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(QKeySequence(c.key).toString().toStdString());
        const HotkeyRecording::Decision decision = press(c.key, c.modifiers);
        EXPECT_EQ(decision.action, Action::Record);
        EXPECT_EQ(decision.keyCode, c.keyCode);
        EXPECT_EQ(decision.modifiers, c.mask);
        EXPECT_EQ(decision.label, c.label);
    }
}

TEST(HotkeyRecordingTest, KeysWithoutVirtualKeyCodeKeepRecording) {
    EXPECT_EQ(press(Qt::Key_Control, Qt::ControlModifier).action, Action::KeepRecording);
    EXPECT_EQ(press(Qt::Key_Meta, Qt::MetaModifier).action, Action::KeepRecording);
    EXPECT_EQ(press(Qt::Key_VolumeUp, Qt::ControlModifier).action, Action::KeepRecording);
    EXPECT_EQ(press(Qt::Key_Eacute, Qt::ControlModifier).action, Action::KeepRecording);
}
