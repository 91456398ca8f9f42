#include "SettingsBench.h"

#include "support/QtPrinters.h"

#include <QAction>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

using Combo = HotkeyManager::Combo;

struct RecorderBench : SettingsBench {
    RecorderBench() { root = loadSettings(); }

    HotkeyRecorder& recorder() { return *controller->recorder(); }
    QString capsule() { return host.text("capsuleText"); }
    QString status() { return host.text("statusText"); }
    void startRecording() { host.click(host.find(QStringLiteral("recordButton"))); }
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(&host.window(), key, modifiers);
    }

    QQuickItem* root = nullptr;
};

const QString kFailed = QStringLiteral(
    "This shortcut couldn't be registered — another app is already using it. Try a different "
    "combo.");
const QString kReserved = QStringLiteral(
    "This is a common desktop shortcut, so it may not trigger reliably. A less common combo is "
    "safer.");
const QString kReady = QStringLiteral("Ready and not used by another app.");

}  // namespace

TEST(HotkeyRecorderViewTest, RecordsThroughRealKeyPressesWithTheGrabReleasedMeanwhile) {
    RecorderBench bench;
    ASSERT_TRUE(bench.root);
    EXPECT_EQ(bench.capsule(), QStringLiteral("Ctrl+Alt+Super+H"));
    EXPECT_TRUE(bench.grabber->grabbed);
    bench.startRecording();
    EXPECT_TRUE(bench.recorder().recording());
    EXPECT_EQ(bench.capsule(), QStringLiteral("Press keys…"));
    // The current combination must reach the recorder, not fire the panic action.
    EXPECT_FALSE(bench.grabber->grabbed);

    bench.press(Qt::Key_K, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_FALSE(bench.recorder().recording());
    EXPECT_EQ(bench.hotkeys.combo(), (Combo{40, 0x1200}));
    EXPECT_EQ(bench.capsule(), QStringLiteral("Ctrl+Shift+K"));
    EXPECT_EQ(bench.host.text("shortcutText"), QStringLiteral("Ctrl+Shift+K"));
    EXPECT_TRUE(bench.grabber->grabbed);
    EXPECT_EQ(bench.grabber->grabs.back(), (Combo{40, 0x1200}));

    // A second click stops; which keys cancel is HotkeyRecordingTest's, but the view must not
    // take Escape for itself.
    bench.startRecording();
    bench.startRecording();
    EXPECT_FALSE(bench.recorder().recording());
    EXPECT_TRUE(bench.grabber->grabbed);
    bench.startRecording();
    bench.press(Qt::Key_Escape, Qt::ControlModifier);
    EXPECT_FALSE(bench.recorder().recording());
    EXPECT_EQ(bench.hotkeys.combo(), (Combo{53, 0x1000}));
    EXPECT_EQ(bench.capsule(), QStringLiteral("Ctrl+Esc"));
}

TEST(HotkeyRecorderViewTest, MenuShortcutDoesNotFireWhileRecording) {
    SettingsBench bench;
    HotkeyRecorder& recorder = *bench.newController()->recorder();
    QWidget window;
    QAction action(&window);
    action.setShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+K")));
    window.addAction(&action);
    QSignalSpy fired(&action, &QAction::triggered);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));

    QTest::keyClick(&window, Qt::Key_K, Qt::ControlModifier | Qt::ShiftModifier);
    ASSERT_EQ(fired.count(), 1);

    recorder.start();
    QTest::keyClick(&window, Qt::Key_K, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(fired.count(), 1);
    EXPECT_FALSE(recorder.recording());
    EXPECT_EQ(bench.hotkeys.combo(), (Combo{40, 0x1200}));

    QTest::keyClick(&window, Qt::Key_K, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(fired.count(), 2);
}

TEST(HotkeyRecorderViewTest, StatusLineShowsOneMessageByPriorityAndResetRecovers) {
    RecorderBench bench;
    ASSERT_TRUE(bench.root);
    EXPECT_EQ(bench.status(), kReady);

    struct Case {
        const char* name;
        bool accepted;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        QString status;
    };
    const Case cases[] = {
        {"refused", false, Qt::Key_J, Qt::ControlModifier | Qt::AltModifier, kFailed},
        {"reserved", true, Qt::Key_Space, Qt::MetaModifier, kReserved},
        {"free", true, Qt::Key_J, Qt::ControlModifier | Qt::AltModifier, kReady},
        // Refused and reserved: only the refusal shows.
        {"both", false, Qt::Key_Space, Qt::MetaModifier, kFailed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        bench.grabber->accept = c.accepted;
        bench.startRecording();
        bench.press(c.key, c.modifiers);
        EXPECT_FALSE(bench.recorder().recording());
        EXPECT_EQ(bench.status(), c.status);
    }

    bench.grabber->accept = true;
    bench.host.click(bench.host.find(QStringLiteral("resetButton")));
    EXPECT_EQ(bench.hotkeys.combo(), (Combo{4, 0x1900}));
    EXPECT_EQ(bench.status(), kReady);
    EXPECT_EQ(bench.capsule(), QStringLiteral("Ctrl+Alt+Super+H"));
}

TEST(HotkeyRecorderViewTest, RecordingEndsWhenTheViewDisappears) {
    RecorderBench bench;
    ASSERT_TRUE(bench.root);
    bench.startRecording();
    ASSERT_TRUE(bench.recorder().recording());

    bench.host.window().hide();
    EXPECT_FALSE(bench.recorder().recording());
    EXPECT_TRUE(bench.grabber->grabbed);
    EXPECT_EQ(bench.hotkeys.combo(), (Combo{4, 0x1900}));

    // Hidden, keys no longer reach a recorder.
    bench.host.window().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&bench.host.window()));
    bench.press(Qt::Key_J, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(bench.hotkeys.combo(), (Combo{4, 0x1900}));

    // The view destroyed mid-recording: the filter goes and the grab is taken again.
    bench.startRecording();
    ASSERT_FALSE(bench.grabber->grabbed);
    bench.host.unload();
    EXPECT_FALSE(bench.recorder().recording());
    EXPECT_TRUE(bench.grabber->grabbed);
}
