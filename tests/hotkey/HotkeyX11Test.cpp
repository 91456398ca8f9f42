// The panic hot key against a private X server: real key presses from xdotool, and a separate
// X client (hotkey_grab_helper) that holds or tries to take the same combinations.

#include "core/UserDefaults.h"
#include "shields/HotkeyManager.h"
#include "shields/x11/X11HotkeyGrabber.h"

#include "support/TempDir.h"
#include "support/XvfbServer.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QThread>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

constexpr char kDefaultCombo[] = "ctrl+alt+super+h";
// Core modifier masks as the helper takes them: Control|Mod1|Mod4, Control|Shift|Mod4.
constexpr char kControlAltSuper[] = "0x4c";
constexpr char kControlShiftSuper[] = "0x45";
constexpr char kKeysymH[] = "0x68";
constexpr char kKeysymK[] = "0x6b";

bool waitUntil(const std::function<bool()>& condition, int timeoutMs = 15'000) {
    const QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired()) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    return true;
}

class HotkeyX11Test : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_server = new XvfbServer();
        // Xvfb resets when its last client leaves, and a connection made during the reset is
        // refused; one client kept for the whole suite avoids that between tests.
        s_keepAlive = new X11HotkeyGrabber(s_server->display().toLocal8Bit());
    }
    static void TearDownTestSuite() {
        delete s_keepAlive;
        s_keepAlive = nullptr;
        delete s_server;
        s_server = nullptr;
    }

    void SetUp() override {
        ASSERT_TRUE(s_server->isRunning()) << s_server->errorString().toStdString();
        ASSERT_TRUE(s_keepAlive->isConnected());
        m_defaults = std::make_unique<UserDefaults>(m_dir.filePath(QStringLiteral("v.conf")));
    }

    void TearDown() override {
        for (auto& helper : m_helpers) {
            helper->kill();
            helper->waitForFinished(5'000);
        }
    }

    std::unique_ptr<HotkeyManager> makeManager() {
        auto manager = std::make_unique<HotkeyManager>(
            *m_defaults, std::make_unique<X11HotkeyGrabber>(s_server->display().toLocal8Bit()));
        manager->setOnPanic([this] {
            ++m_panics;
            m_panicThread = QThread::currentThread();
        });
        return manager;
    }

    void press(const QString& keys) {
        ASSERT_EQ(QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("key"), keys}), 0)
            << "DISPLAY must reach xdotool";
    }

    // Starts a helper that tries to grab the combination; true if it holds it now.
    bool helperGrabs(const char* keysym, const char* mask, bool withLocks) {
        auto helper = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), s_server->display());
        helper->setProcessEnvironment(env);
        helper->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QStringList args{QString::fromLatin1(keysym), QString::fromLatin1(mask)};
        if (withLocks) {
            args << QStringLiteral("--with-locks");
        }
        helper->start(QStringLiteral(GRAB_HELPER_BINARY), args);
        EXPECT_TRUE(helper->waitForStarted());
        const bool answered = waitUntil(
            [&] { return helper->canReadLine() || helper->state() == QProcess::NotRunning; });
        const QByteArray line = answered ? helper->readLine().trimmed() : QByteArray();
        EXPECT_TRUE(line == "grabbed" || line == "refused")
            << "helper said \"" << line.toStdString() << "\", exit code " << helper->exitCode();
        m_helpers.push_back(std::move(helper));
        return line == "grabbed";
    }

    void stopHelpers() {
        for (auto& helper : m_helpers) {
            helper->closeWriteChannel();
            helper->waitForFinished(5'000);
        }
        m_helpers.clear();
    }

    static XvfbServer* s_server;
    static X11HotkeyGrabber* s_keepAlive;
    TempDir m_dir;
    std::unique_ptr<UserDefaults> m_defaults;
    std::vector<std::unique_ptr<QProcess>> m_helpers;
    int m_panics = 0;
    QThread* m_panicThread = nullptr;
};

XvfbServer* HotkeyX11Test::s_server = nullptr;
X11HotkeyGrabber* HotkeyX11Test::s_keepAlive = nullptr;

class DisplayEnvironment {
public:
    explicit DisplayEnvironment(const QString& display)
        : m_old(qgetenv("DISPLAY")) {
        qputenv("DISPLAY", display.toLocal8Bit());
    }
    ~DisplayEnvironment() { qputenv("DISPLAY", m_old); }

private:
    QByteArray m_old;
};

}  // namespace

TEST_F(HotkeyX11Test, PressingDefaultComboRunsOnPanicOnceOnGuiThread) {
    DisplayEnvironment display(s_server->display());
    auto manager = makeManager();
    ASSERT_TRUE(manager->lastRegistrationOK());

    press(QString::fromLatin1(kDefaultCombo));
    ASSERT_TRUE(waitUntil([&] { return m_panics >= 1; }));
    EXPECT_EQ(m_panicThread, QCoreApplication::instance()->thread());

    press(QString::fromLatin1(kDefaultCombo));
    ASSERT_TRUE(waitUntil([&] { return m_panics >= 2; }));
    EXPECT_EQ(m_panics, 2) << "one run per press";
}

TEST_F(HotkeyX11Test, ComboFiresWithCapsLockAndNumLockOn) {
    DisplayEnvironment display(s_server->display());
    auto manager = makeManager();
    ASSERT_TRUE(manager->lastRegistrationOK());

    press(QStringLiteral("Caps_Lock"));
    press(QString::fromLatin1(kDefaultCombo));
    EXPECT_TRUE(waitUntil([&] { return m_panics >= 1; })) << "Caps Lock on";

    press(QStringLiteral("Num_Lock"));
    press(QString::fromLatin1(kDefaultCombo));
    EXPECT_TRUE(waitUntil([&] { return m_panics >= 2; })) << "Caps Lock and Num Lock on";

    press(QStringLiteral("Caps_Lock"));
    press(QString::fromLatin1(kDefaultCombo));
    EXPECT_TRUE(waitUntil([&] { return m_panics >= 3; })) << "Num Lock on";

    press(QStringLiteral("Num_Lock"));
    EXPECT_EQ(m_panics, 3);
}

TEST_F(HotkeyX11Test, ComboHeldByAnotherClientFailsAndStaysStored) {
    DisplayEnvironment display(s_server->display());
    // The other client holds only the plain combination, so the manager's Lock variants succeed
    // before the refusal and must be given back.
    ASSERT_TRUE(helperGrabs(kKeysymK, kControlShiftSuper, /*withLocks=*/false));
    auto manager = makeManager();
    ASSERT_TRUE(manager->lastRegistrationOK());

    EXPECT_FALSE(manager->update(40, 0x1300, QStringLiteral("K")));
    EXPECT_FALSE(manager->lastRegistrationOK());
    EXPECT_EQ(m_defaults->storedInt(QStringLiteral("panicKeyCode")), 40);
    EXPECT_EQ(m_defaults->storedInt(QStringLiteral("panicModifiers")), 0x1300);
    EXPECT_EQ(m_defaults->storedString(QStringLiteral("panicKeyLabel")), QStringLiteral("K"));
    EXPECT_EQ(manager->displayString(), QStringLiteral("Control + Shift + Command + K"));

    stopHelpers();
    EXPECT_TRUE(helperGrabs(kKeysymK, kControlShiftSuper, /*withLocks=*/true))
        << "a refused registration must not keep part of the grab";
    EXPECT_TRUE(helperGrabs(kKeysymH, kControlAltSuper, /*withLocks=*/true))
        << "the old combination was released before the new one was tried";
}

TEST_F(HotkeyX11Test, UpdateReleasesOldCombination) {
    DisplayEnvironment display(s_server->display());
    auto manager = makeManager();
    ASSERT_TRUE(manager->update(38, 0x1900, QStringLiteral("J")));

    // Presses arrive in order on the one connection: had the old combination still been
    // grabbed, its press would have been counted before the new one's.
    press(QString::fromLatin1(kDefaultCombo));
    press(QStringLiteral("ctrl+alt+super+j"));
    ASSERT_TRUE(waitUntil([&] { return m_panics >= 1; }));
    EXPECT_EQ(m_panics, 1);
    EXPECT_TRUE(helperGrabs(kKeysymH, kControlAltSuper, /*withLocks=*/true));
}

TEST_F(HotkeyX11Test, DestructionReleasesTheGrab) {
    DisplayEnvironment display(s_server->display());
    {
        auto manager = makeManager();
        ASSERT_TRUE(manager->lastRegistrationOK());
        EXPECT_FALSE(helperGrabs(kKeysymH, kControlAltSuper, /*withLocks=*/false));
    }
    EXPECT_TRUE(helperGrabs(kKeysymH, kControlAltSuper, /*withLocks=*/true));
}

TEST_F(HotkeyX11Test, HeldComboFiresOnceDespiteAutoRepeat) {
    DisplayEnvironment display(s_server->display());
    auto manager = makeManager();
    ASSERT_TRUE(manager->lastRegistrationOK());

    // Longer than the server's auto-repeat delay (660 ms by default).
    ASSERT_EQ(QProcess::execute(QStringLiteral("xdotool"),
                                {QStringLiteral("keydown"), QString::fromLatin1(kDefaultCombo),
                                 QStringLiteral("sleep"), QStringLiteral("1.5"),
                                 QStringLiteral("keyup"), QString::fromLatin1(kDefaultCombo)}),
              0);
    press(QString::fromLatin1(kDefaultCombo));
    ASSERT_TRUE(waitUntil([&] { return m_panics >= 2; }));
    EXPECT_EQ(m_panics, 2);
}

TEST(HotkeyX11KeymapTest, KeyboardMapChangeMovesTheGrabToTheKeysNewPlace) {
    // A server of its own: the layout change must not leak into other tests.
    XvfbServer server;
    ASSERT_TRUE(server.isRunning()) << server.errorString().toStdString();
    DisplayEnvironment display(server.display());
    const auto keeper = std::make_unique<X11HotkeyGrabber>(server.display().toLocal8Bit());
    TempDir dir;
    UserDefaults defaults(dir.filePath(QStringLiteral("v.conf")));
    int panics = 0;
    HotkeyManager manager(defaults,
                          std::make_unique<X11HotkeyGrabber>(server.display().toLocal8Bit()));
    manager.setOnPanic([&] { ++panics; });
    ASSERT_TRUE(manager.lastRegistrationOK());

    // Dvorak puts H where QWERTY has J.
    ASSERT_EQ(QProcess::execute(QStringLiteral("setxkbmap"), {QStringLiteral("dvorak")}), 0);
    // The map change reaches the grabber through the event loop, so presses before it has been
    // handled go nowhere; keep pressing until one arrives.
    EXPECT_TRUE(waitUntil([&] {
        QProcess::execute(QStringLiteral("xdotool"),
                          {QStringLiteral("key"), QString::fromLatin1(kDefaultCombo)});
        return waitUntil([&] { return panics > 0; }, 300);
    }));
}

TEST(HotkeyX11NoDisplayTest, GrabFailsWithoutDisplay) {
    X11HotkeyGrabber grabber(QByteArrayLiteral(":9999"));
    EXPECT_FALSE(grabber.isConnected());
    EXPECT_FALSE(grabber.grab(4, 0x1900));
    grabber.ungrab();
}
