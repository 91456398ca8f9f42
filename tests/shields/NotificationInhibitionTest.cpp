#include "shields/NotificationGuard.h"
#include "shields/NotificationInhibition.h"

#include "ShieldTestSupport.h"
#include "core/CommandRunner.h"
#include "shields/DesktopEnvironment.h"
#include "shields/DoNotDisturbMessages.h"
#include "shields/NotificationPlans.h"
#include "support/StdoutCapture.h"
#include "support/TempDir.h"
#include "support/WaitFor.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <QVariantMap>

#include <gtest/gtest.h>

#include <mutex>

namespace {

// A private session bus: dbus-daemon on a socket in a fresh folder, ended by its pid.
class PrivateBus {
public:
    PrivateBus() {
        m_daemon.setProgram(QStringLiteral("/usr/bin/dbus-daemon"));
        m_daemon.setArguments({QStringLiteral("--session"), QStringLiteral("--nofork"),
                               QStringLiteral("--address=") + address()});
        m_daemon.start();
        m_started =
            m_daemon.waitForStarted() && waitFor([this] { return QFile::exists(socket()); });
    }
    ~PrivateBus() {
        m_daemon.terminate();
        m_daemon.waitForFinished();
    }
    bool started() const { return m_started; }
    QString socket() const { return m_dir.filePath(QStringLiteral("bus")); }
    QString address() const { return QStringLiteral("unix:path=") + socket(); }

private:
    TempDir m_dir;
    QProcess m_daemon;
    bool m_started = false;
};

// Stands in for the desktop's notification server: records Inhibit and UnInhibit. Runs on a
// thread of its own, so the guard's blocking calls from the GUI thread (quit, destruction) are
// answered.
class StandInNotifications final : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    QStringList calls() const {
        const std::lock_guard lock(m_mutex);
        return m_calls;
    }

public Q_SLOTS:
    uint Inhibit(const QString& desktopEntry, const QString& reason, const QVariantMap&) {
        const std::lock_guard lock(m_mutex);
        ++m_lastCookie;
        m_calls << QStringLiteral("Inhibit %1 %2 -> %3")
                       .arg(desktopEntry,
                            reason.isEmpty() ? QStringLiteral("(none)") : QStringLiteral("(given)"))
                       .arg(m_lastCookie);
        return m_lastCookie;
    }
    void UnInhibit(uint cookie) {
        const std::lock_guard lock(m_mutex);
        m_calls << QStringLiteral("UnInhibit %1").arg(cookie);
    }

private:
    mutable std::mutex m_mutex;
    QStringList m_calls;
    uint m_lastCookie = 40;
};

class ServiceThread {
public:
    explicit ServiceThread(const QString& address) {
        m_thread.start();
        service.moveToThread(&m_thread);
        QDBusConnection bus = QDBusConnection::connectToBus(address, QStringLiteral("stand-in"));
        registered = bus.registerObject(QStringLiteral("/org/freedesktop/Notifications"), &service,
                                        QDBusConnection::ExportAllSlots) &&
                     bus.registerService(QStringLiteral("org.freedesktop.Notifications"));
    }
    ~ServiceThread() {
        QDBusConnection::disconnectFromBus(QStringLiteral("stand-in"));
        m_thread.quit();
        m_thread.wait();
    }

    StandInNotifications service;
    bool registered = false;

private:
    QThread m_thread;
};

std::function<PlanChoice(bool)> kdePlans() {
    return [](bool on) {
        DesktopEnvironment env;
        env.desktops = {QStringLiteral("kde")};
        return NotificationPlans::choose(env, on);
    };
}

}  // namespace

TEST(NotificationInhibitionTest, KdeInhibitionIsHeldWhileOnAndReleasedOnDeactivateAndOnQuit) {
    PrivateBus bus;
    ASSERT_TRUE(bus.started());
    CommandRunner runner;
    auto inhibition = std::make_shared<NotificationInhibition>(bus.address());
    {
        // No notification server on the bus yet: a failure, never a success.
        StdoutCapture stdoutCapture;  // keeps the failure's log line out of the test output
        NotificationGuard guard(runner, kdePlans(), inhibition);
        EXPECT_FALSE(awaitResult(guard.activate()));
        stdoutCapture.take();
        EXPECT_FALSE(guard.isActive());
        EXPECT_FALSE(inhibition->isHeld());
        EXPECT_EQ(guard.lastError(), QString::fromUtf8(DoNotDisturbMessages::kFacilityNotFound));
    }

    ServiceThread server(bus.address());
    ASSERT_TRUE(server.registered);
    {
        NotificationGuard guard(runner, kdePlans(), inhibition);
        EXPECT_TRUE(awaitResult(guard.activate()));
        EXPECT_TRUE(guard.isActive());
        EXPECT_TRUE(inhibition->isHeld());
        // Switching on again keeps the one inhibition.
        EXPECT_TRUE(awaitResult(guard.activate()));
        EXPECT_EQ(server.service.calls(),
                  QStringList{QStringLiteral("Inhibit velarion (given) -> 41")});

        EXPECT_TRUE(awaitResult(guard.deactivate()));
        EXPECT_FALSE(guard.isActive());
        EXPECT_FALSE(inhibition->isHeld());
        EXPECT_EQ(server.service.calls().last(), QStringLiteral("UnInhibit 41"));

        // The quit path releases synchronously.
        EXPECT_TRUE(awaitResult(guard.activate()));
        EXPECT_TRUE(guard.deactivateNow());
        EXPECT_EQ(server.service.calls().last(), QStringLiteral("UnInhibit 42"));

        // Destroyed while on: released before the destructor returns.
        EXPECT_TRUE(awaitResult(guard.activate()));
    }
    EXPECT_EQ(
        server.service.calls(),
        (QStringList{
            QStringLiteral("Inhibit velarion (given) -> 41"), QStringLiteral("UnInhibit 41"),
            QStringLiteral("Inhibit velarion (given) -> 42"), QStringLiteral("UnInhibit 42"),
            QStringLiteral("Inhibit velarion (given) -> 43"), QStringLiteral("UnInhibit 43")}));
}

#include "NotificationInhibitionTest.moc"
