// The one instance and its scriptable interface, end to end: the real application under a private
// X server with a tray host, its shields writing through the real gsettings into a keyfile, asked
// by real `velarion` processes and by a D-Bus client on a private session bus, or, without a bus,
// over the private socket.

#include "support/TempDir.h"
#include "support/WaitFor.h"
#include "support/XvfbServer.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusMessage>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

const QString kBackground = QStringLiteral("org.gnome.desktop.background");
const QString kIconsKey = QStringLiteral("show-desktop-icons");
const QString kService = QStringLiteral("com.orvandel.Velarion");
const QString kPath = QStringLiteral("/com/orvandel/Velarion");

// Where, inside the 320-pixel popover, the Desktop Shield switch sits (English, left to right).
constexpr int kSwitchX = 289;
constexpr int kFirstSwitchY = 77;

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

class InstanceX11Test : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_server.isRunning()) << m_server.errorString().toStdString();
        QDir().mkpath(m_home.filePath(QStringLiteral("config/orvandel")));
        QDir().mkpath(m_home.filePath(QStringLiteral("run")));
        QFile(m_home.filePath(QStringLiteral("run")))
            .setPermissions(QFile::ExeOwner | QFile::ReadOwner | QFile::WriteOwner);
        QFile conf(m_home.filePath(QStringLiteral("config/orvandel/Velarion.conf")));
        ASSERT_TRUE(conf.open(QIODevice::WriteOnly));
        conf.write("[General]\nappLanguage=en\nhasSeenCameraSetup=true\n");
        conf.close();
        QDir().mkpath(m_home.filePath(QStringLiteral("tools")));
        QFile tool(m_home.filePath(QStringLiteral("tools/gsettings")));
        ASSERT_TRUE(tool.open(QIODevice::WriteOnly));
        // One write at a time: the keyfile backend loses one of two concurrent writes.
        tool.write("#!/bin/sh\nexec /usr/bin/flock \"$0.lock\" /usr/bin/gsettings \"$@\"\n");
        tool.close();
        tool.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

        m_env = QProcessEnvironment::systemEnvironment();
        m_env.insert(QStringLiteral("DISPLAY"), m_server.display());
        m_env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        m_env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_home.filePath(QStringLiteral("config")));
        m_env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_home.filePath(QStringLiteral("run")));
        m_env.insert(QStringLiteral("XDG_CURRENT_DESKTOP"), QStringLiteral("GNOME"));
        m_env.insert(QStringLiteral("GSETTINGS_BACKEND"), QStringLiteral("keyfile"));
        m_env.insert(QStringLiteral("VELARION_TEST_TOOLS_DIR"),
                     m_home.filePath(QStringLiteral("tools")));
        m_env.remove(QStringLiteral("VELARION_TEST_SHIELDS_ON_AT_START"));
        // No bus unless the test starts one: an address nobody listens on.
        m_env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
                     QStringLiteral("unix:path=") + m_home.filePath(QStringLiteral("no-bus")));
        ASSERT_TRUE(gsettingsSet(kIconsKey, QStringLiteral("true")));
    }

    void TearDown() override {
        for (QProcess* process : {&m_app, &m_bus}) {
            if (process->state() != QProcess::NotRunning) {
                process->kill();
                process->waitForFinished(20'000);
            }
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
        m_app.setProcessEnvironment(m_env);
        m_app.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_app.start(QStringLiteral(VELARION_BINARY), {});
        ASSERT_TRUE(m_app.waitForStarted());
        ASSERT_TRUE(waitFor([&] { return trayIcons().size() == 1; })) << "tray icon docked";
    }

    QString gsettings(const QString& key) {
        QProcess tool;
        tool.setProcessEnvironment(m_env);
        tool.start(QStringLiteral("/usr/bin/gsettings"), {QStringLiteral("get"), kBackground, key});
        tool.waitForFinished(20'000);
        return QString::fromUtf8(tool.readAllStandardOutput()).trimmed();
    }

    bool gsettingsSet(const QString& key, const QString& value) {
        QProcess tool;
        tool.setProcessEnvironment(m_env);
        tool.start(QStringLiteral("/usr/bin/gsettings"),
                   {QStringLiteral("set"), kBackground, key, value});
        return tool.waitForFinished(20'000) && tool.exitCode() == 0;
    }

    // The application's icon-sized windows docked in the tray, and its 320-pixel popover.
    QStringList windowsOfSize(int maxWidth, int minWidth) {
        const QString tree = m_server.runClient(QStringLiteral("xwininfo"),
                                                {QStringLiteral("-root"), QStringLiteral("-tree")});
        static const QRegularExpression line(
            QStringLiteral(R"((0x[0-9a-f]+) .*\("velarion" "Velarion"\):? +(\d+)x(\d+)\+)"));
        QStringList found;
        for (auto it = line.globalMatch(tree); it.hasNext();) {
            const auto match = it.next();
            const int width = match.captured(2).toInt();
            if (width <= maxWidth && width >= minWidth && match.captured(3).toInt() <= maxWidth) {
                found << match.captured(1);
            }
        }
        return found;
    }
    QStringList trayIcons() { return windowsOfSize(64, 2); }

    void click(const QString& window, int x, int y) {
        m_server.runClient(
            QStringLiteral("xdotool"),
            {QStringLiteral("mousemove"), QStringLiteral("--window"), window, QString::number(x),
             QString::number(y), QStringLiteral("click"), QStringLiteral("1")});
    }

    XvfbServer m_server{[] {
        XvfbServer::Options options;
        options.windowManager = true;
        options.trayHost = true;
        return options;
    }()};
    TempDir m_home;
    QProcessEnvironment m_env;
    QProcess m_bus;
    QString m_busAddress;
    QProcess m_app;
};

}  // namespace

TEST_F(InstanceX11Test, CommandLineActionsReachTheOneRunningInstanceWithAndWithoutABus) {
    for (const bool withBus : {false, true}) {
        SCOPED_TRACE(withBus ? "session bus" : "private socket");
        if (withBus) {
            startBus();
        }
        ASSERT_TRUE(gsettingsSet(kIconsKey, QStringLiteral("true")));

        const ProcessRun none = velarion({QStringLiteral("--status")});
        EXPECT_EQ(none.exitCode, 1);
        EXPECT_TRUE(none.err.contains(QStringLiteral("not running"))) << none.err.toStdString();
        EXPECT_TRUE(none.out.isEmpty());

        startApplication();
        const ProcessRun on = velarion({QStringLiteral("--presentation"), QStringLiteral("on")});
        EXPECT_EQ(on.exitCode, 0) << on.err.toStdString();
        EXPECT_TRUE(waitFor([&] { return gsettings(kIconsKey) == QStringLiteral("false"); }))
            << "presentation mode hides the desktop icons as the interface does";
        const ProcessRun status = velarion({QStringLiteral("--status")});
        EXPECT_EQ(status.exitCode, 0);
        EXPECT_TRUE(status.out.startsWith(
            QStringLiteral("presentation-mode: on\ndesktop-shield: on\nnotification-guard: on\n")))
            << status.out.toStdString();

        const ProcessRun second = velarion({});
        EXPECT_EQ(second.exitCode, 0) << second.err.toStdString();
        EXPECT_EQ(trayIcons().size(), 1) << "the second start added no icon";

        const ProcessRun wrong =
            velarion({QStringLiteral("--presentation"), QStringLiteral("maybe")});
        EXPECT_EQ(wrong.exitCode, 2);

        m_app.terminate();
        ASSERT_TRUE(m_app.waitForFinished(20'000));
        EXPECT_EQ(gsettings(kIconsKey), QStringLiteral("true"))
            << "quitting restores what the script switched on";
    }
}

TEST_F(InstanceX11Test, BusMethodsDriveTheSwitchesAndPropertiesFollowTheInterface) {
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
    EXPECT_TRUE(waitFor([&] { return gsettings(kIconsKey) == QStringLiteral("false"); }));
    EXPECT_EQ(property("DesktopShield"), QVariant(true));
    EXPECT_TRUE(waitFor([&] { return announced("DesktopShield") == QVariant(true); }));
    EXPECT_EQ(property("PresentationMode"), QVariant(false));

    // The interface's switch: the property follows it.
    QStringList icons = trayIcons();
    ASSERT_EQ(icons.size(), 1);
    click(icons.constFirst(), 8, 8);
    QString popover;
    ASSERT_TRUE(waitFor([&] {
        const QStringList wide = windowsOfSize(320, 320);
        popover = wide.isEmpty() ? QString() : wide.constFirst();
        return !popover.isEmpty();
    }));
    click(popover, kSwitchX, kFirstSwitchY);
    EXPECT_TRUE(waitFor([&] { return property("DesktopShield") == QVariant(false); }))
        << "switched off in the popover";
    EXPECT_TRUE(waitFor([&] { return announced("DesktopShield") == QVariant(false); }))
        << "and the change was announced";
    EXPECT_TRUE(waitFor([&] { return gsettings(kIconsKey) == QStringLiteral("true"); }));

    EXPECT_EQ(velarion.call(QStringLiteral("Panic")).type(), QDBusMessage::ReplyMessage);
    EXPECT_TRUE(waitFor([&] {
        return property("DesktopShield") == QVariant(true) &&
               property("NotificationGuard") == QVariant(true);
    })) << "the panic action switches both presentation shields on";
    QDBusConnection::disconnectFromBus(QStringLiteral("test"));
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
