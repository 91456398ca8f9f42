// The real application end to end, under a private X server with a window manager and a tray host,
// its shields writing through the real gsettings into a keyfile: the one instance asked by real
// `velarion` processes and by a D-Bus client on a private session bus, or, without a bus, over the
// private socket; the tray's popover, a real press of the panic hot key, and Quit.

#include "support/WaitFor.h"

#include "X11AppDriver.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusMessage>
#include <QDir>

#include <optional>

#include <gtest/gtest.h>

namespace {

const QString kService = QStringLiteral("com.orvandel.Velarion");
const QString kPath = QStringLiteral("/com/orvandel/Velarion");
const QString kNotifications = QStringLiteral("org.gnome.desktop.notifications");
const QString kBannersKey = QStringLiteral("show-banners");

// Where, inside the 320-pixel popover, the Quit button sits.
constexpr int kQuitX = 295;
constexpr int kQuitFromBottom = 15;

// Collects what PropertiesChanged announced, property by property.
class ChangeRecorder final : public QObject {
    Q_OBJECT

public:
    QVariantMap announced;

public Q_SLOTS:
    void changed(const QString&, const QVariantMap& values, const QStringList&) {
        announced.insert(values);
    }
};

struct ProcessRun {
    int exitCode = -1;
    QString out;
    QString err;
};

class InstanceX11Test : public X11AppTest {
protected:
    void SetUp() override {
        X11AppTest::SetUp();
        if (HasFatalFailure()) {
            return;
        }
        QDir().mkpath(m_home.filePath(QStringLiteral("run")));
        QFile(m_home.filePath(QStringLiteral("run")))
            .setPermissions(QFile::ExeOwner | QFile::ReadOwner | QFile::WriteOwner);
        m_env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_home.filePath(QStringLiteral("run")));
        // No bus unless the test starts one: an address nobody listens on.
        m_env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
                     QStringLiteral("unix:path=") + m_home.filePath(QStringLiteral("no-bus")));
    }

    void TearDown() override {
        X11AppTest::TearDown();
        if (m_bus.state() != QProcess::NotRunning) {
            m_bus.kill();
            m_bus.waitForFinished(20'000);
        }
    }

    void startBus() {
        m_busAddress = QStringLiteral("unix:path=") + m_home.filePath(QStringLiteral("bus"));
        m_bus.start(QStringLiteral("/usr/bin/dbus-daemon"),
                    {QStringLiteral("--session"), QStringLiteral("--nofork"),
                     QStringLiteral("--address=") + m_busAddress});
        ASSERT_TRUE(m_bus.waitForStarted());
        ASSERT_TRUE(waitFor([&] { return QFile::exists(m_home.filePath(QStringLiteral("bus"))); }));
        m_env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_busAddress);
    }

    ProcessRun velarion(const QStringList& arguments) {
        QProcess process;
        process.setProcessEnvironment(m_env);
        process.start(QStringLiteral(VELARION_BINARY), arguments);
        process.waitForFinished(60'000);
        return {process.state() == QProcess::NotRunning ? process.exitCode() : -1,
                QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError())};
    }

    void startApplication() {
        startApp();
        ASSERT_TRUE(waitFor([&] { return trayIcons().size() == 1; })) << "tray icon docked";
    }

    QString icons() { return gsettings(kBackground, kIconsKey); }

    bool isShown(const QString& title) {
        return !search({QStringLiteral("--onlyvisible"), QStringLiteral("--name"), title})
                    .isEmpty();
    }

    // The popover a click on the tray icon opens.
    std::optional<AppWindow> openPopover() {
        const QStringList tray = trayIcons();
        EXPECT_EQ(tray.size(), 1);
        if (tray.isEmpty()) {
            return std::nullopt;
        }
        click(tray.constFirst(), 8, 8);
        std::optional<AppWindow> popover;
        waitFor([&] {
            const QStringList visible =
                search({QStringLiteral("--onlyvisible"), QStringLiteral("--class"),
                        QStringLiteral("velarion")})
                    .split(QLatin1Char('\n'));
            for (const AppWindow& window : applicationWindows(m_server)) {
                if (window.width == 320 &&
                    visible.contains(QString::number(window.id.toUInt(nullptr, 16)))) {
                    popover = window;
                }
            }
            return popover.has_value();
        });
        return popover;
    }

    QProcess m_bus;
    QString m_busAddress;
};

}  // namespace

// Without a bus the same client reaches the instance over the private socket (the stale-socket
// case below runs that way).
TEST_F(InstanceX11Test, CommandLineActionsReachTheOneRunningInstance) {
    startBus();
    ASSERT_TRUE(gsettingsSet(kBackground, kIconsKey, QStringLiteral("true")));

    const ProcessRun none = velarion({QStringLiteral("--status")});
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_TRUE(none.out.isEmpty());

    startApplication();
    const ProcessRun on = velarion({QStringLiteral("--presentation"), QStringLiteral("on")});
    EXPECT_EQ(on.exitCode, 0) << on.err.toStdString();
    EXPECT_TRUE(waitFor([&] { return icons() == QStringLiteral("false"); }))
        << "presentation mode hides the desktop icons as the interface does";
    const ProcessRun status = velarion({QStringLiteral("--status")});
    EXPECT_EQ(status.exitCode, 0);
    EXPECT_TRUE(status.out.startsWith(
        QStringLiteral("presentation-mode: on\ndesktop-shield: on\nnotification-guard: on\n")))
        << status.out.toStdString();

    const ProcessRun second = velarion({});
    EXPECT_EQ(second.exitCode, 0) << second.err.toStdString();
    EXPECT_EQ(trayIcons().size(), 1) << "the second start added no icon";

    m_app.terminate();
    ASSERT_TRUE(m_app.waitForFinished(20'000));
    EXPECT_EQ(icons(), QStringLiteral("true")) << "quitting restores what the script switched on";
}

TEST_F(InstanceX11Test, BusMethodsThePopoverAndQuitDriveTheSameShields) {
    startBus();
    startApplication();
    QDBusConnection bus = QDBusConnection::connectToBus(m_busAddress, QStringLiteral("test"));
    ASSERT_TRUE(bus.isConnected());
    QDBusInterface velarion(kService, kPath, kService, bus);
    QDBusInterface properties(kService, kPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                              bus);
    const auto property = [&](const char* name) {
        const QDBusMessage reply =
            properties.call(QStringLiteral("Get"), kService, QString::fromLatin1(name));
        return reply.arguments().isEmpty()
                   ? QVariant()
                   : reply.arguments().constFirst().value<QDBusVariant>().variant();
    };
    ChangeRecorder recorder;
    ASSERT_TRUE(bus.connect(kService, kPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                            QStringLiteral("PropertiesChanged"), &recorder,
                            SLOT(changed(QString, QVariantMap, QStringList))));
    const auto announced = [&](const char* name) {
        QCoreApplication::processEvents();
        return recorder.announced.value(QString::fromLatin1(name));
    };

    // A method goes through the same verbs as the switch: the icons go, the property follows.
    ASSERT_EQ(property("DesktopShield"), QVariant(false));
    EXPECT_EQ(velarion.call(QStringLiteral("SetDesktopShield"), true).type(),
              QDBusMessage::ReplyMessage);
    EXPECT_TRUE(waitFor([&] { return icons() == QStringLiteral("false"); }));
    EXPECT_EQ(property("DesktopShield"), QVariant(true));
    EXPECT_TRUE(waitFor([&] { return announced("DesktopShield") == QVariant(true); }));
    EXPECT_EQ(property("PresentationMode"), QVariant(false));

    EXPECT_EQ(velarion.call(QStringLiteral("Panic")).type(), QDBusMessage::ReplyMessage);
    EXPECT_TRUE(waitFor([&] { return property("NotificationGuard") == QVariant(true); }))
        << "the panic action switches the presentation shields on";

    // The interface's switch: the property follows it.
    const std::optional<AppWindow> popover = openPopover();
    ASSERT_TRUE(popover.has_value()) << "the popover opens at a click on the icon";
    click(popover->id, kSwitchX, kFirstSwitchY);
    EXPECT_TRUE(waitFor([&] { return property("DesktopShield") == QVariant(false); }))
        << "switched off in the popover";
    EXPECT_TRUE(waitFor([&] { return announced("DesktopShield") == QVariant(false); }))
        << "and the change was announced";
    EXPECT_TRUE(waitFor([&] { return icons() == QStringLiteral("true"); }));
    QDBusConnection::disconnectFromBus(QStringLiteral("test"));

    click(popover->id, kQuitX, popover->height - kQuitFromBottom);
    ASSERT_TRUE(m_app.waitForFinished(20'000)) << "Quit ends the application";
    EXPECT_EQ(m_app.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(m_app.exitCode(), 0);
    EXPECT_EQ(gsettings(kNotifications, kBannersKey), QStringLiteral("true"))
        << "Quit restores what the panic action switched on";
}

// Left out of the sanitizer run (.ci/run): that build shows its main window too late.
TEST_F(InstanceX11Test, PanicKeyOnceTheMainWindowIsUpSwitchesBothShieldsOnAndOpensBroadcast) {
    startApplication();
    ASSERT_TRUE(waitFor([&] { return isShown(QStringLiteral("^Velarion$")); })) << "main window";
    m_server.runClient(QStringLiteral("xdotool"),
                       {QStringLiteral("key"), QStringLiteral("ctrl+alt+super+h")});
    EXPECT_TRUE(waitFor([&] {
        return icons() == QStringLiteral("false") &&
               gsettings(kNotifications, kBannersKey) == QStringLiteral("false");
    })) << "both shields on";
    EXPECT_TRUE(waitFor([&] { return isShown(QStringLiteral("^Broadcast$")); }))
        << "the broadcast window";
}

TEST_F(InstanceX11Test, SocketLeftByAKilledInstanceDoesNotStopTheNextStart) {
    startApplication();
    m_app.kill();
    ASSERT_TRUE(m_app.waitForFinished(20'000));
    ASSERT_EQ(QDir(m_home.filePath(QStringLiteral("run")))
                  .entryList({QStringLiteral("velarion-*.socket")}, QDir::System)
                  .size(),
              1)
        << "a killed instance leaves its socket behind";
    startApplication();
    EXPECT_EQ(velarion({QStringLiteral("--status")}).exitCode, 0);
}

#include "InstanceX11Test.moc"
