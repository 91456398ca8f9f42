// The panic hot key against a private X server: real key presses from xdotool, and a separate
// X client (hotkey_grab_helper) that holds or tries to take the same combinations.

#include "core/UserDefaults.h"
#include "shields/hotkey/HotkeyManager.h"
#include "shields/hotkey/x11/X11HotkeyGrabber.h"

#include "support/TempDir.h"
#include "support/XvfbServer.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

#include <deque>
#include <memory>

namespace {

constexpr char kDefaultCombo[] = "ctrl+alt+super+h";
// Keysym and core modifier mask as the helper takes them: H with Control|Mod1|Mod4, K with
// Control|Shift|Mod4.
const QStringList kGrabH{QStringLiteral("0x68"), QStringLiteral("0x4c")};
const QStringList kGrabK{QStringLiteral("0x6b"), QStringLiteral("0x45")};

// Runs an X client to completion on `server`'s display; its exit code, or -1.
int runOn(const XvfbServer& server, const QString& program, const QStringList& arguments) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), server.display());
    process.setProcessEnvironment(env);
    process.start(program, arguments);
    const bool ended =
        process.waitForFinished(20'000) && process.exitStatus() == QProcess::NormalExit;
    return ended ? process.exitCode() : -1;
}

// Presses arrive through the event loop, so it runs while waiting (QTest::qWaitFor).
constexpr int kWaitMs = 20'000;

class HotkeyX11Test : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_server.isRunning()) << m_server.errorString().toStdString();
    }
    void TearDown() override { stopHelpers(); }

    std::unique_ptr<HotkeyManager> makeManager() {
        auto manager = std::make_unique<HotkeyManager>(
            m_defaults, std::make_unique<X11HotkeyGrabber>(m_server.display().toLocal8Bit()));
        manager->setOnPanic([this] {
            ++m_panics;
            m_panicThread = QThread::currentThread();
        });
        return manager;
    }

    void xdotool(const QStringList& arguments) {
        ASSERT_EQ(runOn(m_server, QStringLiteral("xdotool"), arguments), 0);
    }
    void press(const QString& keys) { xdotool({QStringLiteral("key"), keys}); }

    bool waitForPanics(int count) {
        return QTest::qWaitFor([&] { return m_panics >= count; }, kWaitMs);
    }

    // Starts a helper that tries to grab the combination (with the Caps Lock and Num Lock
    // variants if asked); true if it holds it now. It keeps the grab until stopHelpers().
    bool helperGrabs(const QStringList& combo, bool withLocks) {
        QProcess& helper = m_helpers.emplace_back();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), m_server.display());
        helper.setProcessEnvironment(env);
        helper.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        helper.start(QStringLiteral(GRAB_HELPER_BINARY),
                     withLocks ? combo + QStringList{QStringLiteral("--with-locks")} : combo);
        while (!helper.canReadLine() && helper.waitForReadyRead(20'000)) {
        }
        const QByteArray line = helper.readLine().trimmed();
        EXPECT_TRUE(line == "grabbed" || line == "refused") << "helper said: " << line.constData();
        return line == "grabbed";
    }

    void stopHelpers() {
        for (QProcess& helper : m_helpers) {
            helper.closeWriteChannel();
            helper.waitForFinished(20'000);
        }
        m_helpers.clear();
    }

    XvfbServer m_server;
    TempDir m_dir;
    UserDefaults m_defaults{m_dir.filePath(QStringLiteral("v.conf"))};
    std::deque<QProcess> m_helpers;
    int m_panics = 0;
    QThread* m_panicThread = nullptr;
};

}  // namespace

TEST_F(HotkeyX11Test, DefaultComboRunsOnPanicOnGuiThreadOncePerPressAlsoWithLocksOn) {
    auto manager = makeManager();
    ASSERT_TRUE(manager->lastRegistrationOK());

    press(QString::fromLatin1(kDefaultCombo));
    ASSERT_TRUE(waitForPanics(1));
    EXPECT_EQ(m_panicThread, QCoreApplication::instance()->thread());

    // Held longer than the server's auto-repeat delay (660 ms by default). Every repeat has been
    // sent by the time xdotool returns, so any extra run shows up with the next press.
    xdotool({QStringLiteral("keydown"), QString::fromLatin1(kDefaultCombo), QStringLiteral("sleep"),
             QStringLiteral("1.5"), QStringLiteral("keyup"), QString::fromLatin1(kDefaultCombo)});
    press(QString::fromLatin1(kDefaultCombo));
    ASSERT_TRUE(waitForPanics(3));
    EXPECT_EQ(m_panics, 3);

    // Each lock toggles before the next press: Caps, Caps and Num, then Num alone.
    const char* const locks[] = {"Caps_Lock", "Num_Lock", "Caps_Lock", "Num_Lock"};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(locks[i]);
        press(QString::fromLatin1(locks[i]));
        press(QString::fromLatin1(kDefaultCombo));
        EXPECT_TRUE(waitForPanics(4 + i));
    }
    press(QString::fromLatin1(locks[3]));
}

TEST_F(HotkeyX11Test, RefusedUpdateKeepsNoPartOfTheGrabAndEveryGrabIsReleased) {
    // The other client holds only the plain combination, so the manager's Lock variants succeed
    // before the refusal and must be given back.
    ASSERT_TRUE(helperGrabs(kGrabK, /*withLocks=*/false));
    {
        auto manager = makeManager();
        ASSERT_TRUE(manager->lastRegistrationOK());
        EXPECT_FALSE(helperGrabs(kGrabH, /*withLocks=*/false)) << "the manager holds it";

        EXPECT_FALSE(manager->update(40, 0x1300, QStringLiteral("K")));
        EXPECT_FALSE(manager->lastRegistrationOK());
        stopHelpers();
        EXPECT_TRUE(helperGrabs(kGrabK, /*withLocks=*/true))
            << "a refused registration must not keep part of the grab";
        EXPECT_TRUE(helperGrabs(kGrabH, /*withLocks=*/true))
            << "the old combination was released before the new one was tried";
        stopHelpers();

        ASSERT_TRUE(manager->update(40, 0x1300, QStringLiteral("K")));
        press(QStringLiteral("ctrl+shift+super+k"));
        ASSERT_TRUE(waitForPanics(1));
    }
    EXPECT_TRUE(helperGrabs(kGrabK, /*withLocks=*/true)) << "the grab of a destroyed manager";
}

TEST_F(HotkeyX11Test, KeyboardMapChangeMovesTheGrabToTheKeysNewPlace) {
    auto manager = makeManager();
    ASSERT_TRUE(manager->lastRegistrationOK());

    // Dvorak puts H where QWERTY has J. The server is this test's own, so the layout goes with it.
    ASSERT_EQ(runOn(m_server, QStringLiteral("setxkbmap"), {QStringLiteral("dvorak")}), 0);
    // The map change reaches the grabber through the event loop, so presses before it has been
    // handled go nowhere; keep pressing until one arrives.
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            runOn(m_server, QStringLiteral("xdotool"),
                  {QStringLiteral("key"), QString::fromLatin1(kDefaultCombo)});
            return QTest::qWaitFor([&] { return m_panics > 0; }, 500);
        },
        kWaitMs));
}

TEST(HotkeyX11NoDisplayTest, GrabFailsWithoutDisplay) {
    X11HotkeyGrabber grabber(QByteArrayLiteral(":9999"));
    EXPECT_FALSE(grabber.isConnected());
    EXPECT_FALSE(grabber.grab(4, 0x1900));
    grabber.ungrab();
}
