// Start-up cost of the real application on a private Xvfb with a window manager and a tray host,
// against a peer measured in the same run: an empty shell of the same kind (a Qt Widgets main
// window of the same size, a tray icon and an empty 320-pixel popup), started by this program
// itself with --peer.
//
// Figures: exec to the main window mapped, tray click to the popup mapped, resident memory once
// the window is up, and CPU time used while idle for 10 s.
//
//   bench_startup [runs]

#include "support/XvfbServer.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMainWindow>
#include <QProcess>
#include <QRegularExpression>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <QThread>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <optional>
#include <vector>

namespace {

// The peer: what the application was before its views, a window, a tray icon and a popup.
int runPeer(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Velarion"));
    window.resize(880, 640);
    window.setCentralWidget(new QWidget);
    QWidget popup(nullptr, Qt::Popup | Qt::FramelessWindowHint);
    popup.setFixedSize(320, 280);
    QPixmap pixmap(22, 22);
    pixmap.fill(Qt::blue);
    QSystemTrayIcon icon{QIcon(pixmap)};
    QObject::connect(&icon, &QSystemTrayIcon::activated, &popup, [&] {
        popup.move(icon.geometry().bottomLeft());
        popup.show();
    });
    window.show();
    icon.show();
    return QApplication::exec();
}

struct Figures {
    double startMs = -1;
    double popoverMs = -1;
    double rssMb = -1;
    double idleCpuMs = -1;
};

class Runner {
public:
    explicit Runner(XvfbServer& server)
        : m_server(server) {}

    Figures measure(const QString& program, const QStringList& arguments) {
        Figures figures;
        QTemporaryDir home;
        QProcess app;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), m_server.display());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path());
        app.setProcessEnvironment(env);
        app.setProcessChannelMode(QProcess::ForwardedOutputChannel);
        app.setStandardErrorFile(QProcess::nullDevice());
        // The camera set-up counts as seen: only the main window opens.
        QDir().mkpath(home.filePath(QStringLiteral("orvandel")));
        QFile conf(home.filePath(QStringLiteral("orvandel/Velarion.conf")));
        if (conf.open(QIODevice::WriteOnly)) {
            conf.write("[General]\nhasSeenCameraSetup=true\n");
            conf.close();
        }

        QElapsedTimer clock;
        clock.start();
        app.start(program, arguments);
        if (!app.waitForStarted() ||
            !poll([&] { return !windows(QStringLiteral("880x640")).isEmpty(); })) {
            return figures;
        }
        figures.startMs = clock.nsecsElapsed() / 1e6;

        QString icon;
        if (poll([&] { return !(icon = trayIcon()).isEmpty(); })) {
            clock.restart();
            m_server.runClient(
                QStringLiteral("xdotool"),
                {QStringLiteral("mousemove"), QStringLiteral("--window"), icon, QStringLiteral("8"),
                 QStringLiteral("8"), QStringLiteral("click"), QStringLiteral("1")});
            if (poll([&] { return !windows(QStringLiteral("320x")).isEmpty(); })) {
                figures.popoverMs = clock.nsecsElapsed() / 1e6;
            }
            m_server.runClient(QStringLiteral("xdotool"),
                               {QStringLiteral("key"), QStringLiteral("Escape")});
        }

        QThread::msleep(1000);
        figures.rssMb = rssKb(app.processId()) / 1024.0;
        const double cpuBefore = cpuMs(app.processId());
        QThread::msleep(10'000);
        figures.idleCpuMs = cpuMs(app.processId()) - cpuBefore;

        app.terminate();
        app.waitForFinished(20'000);
        return figures;
    }

private:
    static bool poll(const std::function<bool()>& condition) {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < 20'000) {
            if (condition()) {
                return true;
            }
            QThread::msleep(2);
        }
        return false;
    }

    // Mapped windows whose geometry starts with `size` ("880x640", "320x").
    QStringList windows(const QString& size) {
        const QString tree = m_server.runClient(QStringLiteral("xwininfo"),
                                                {QStringLiteral("-root"), QStringLiteral("-tree")});
        QStringList ids;
        for (const QString& line : tree.split(QLatin1Char('\n'))) {
            const QString trimmed = line.trimmed();
            if (trimmed.contains(QStringLiteral(": (\"")) &&
                trimmed.contains(QStringLiteral(" ") + size)) {
                const QString id = trimmed.section(QLatin1Char(' '), 0, 0);
                const QString info =
                    m_server.runClient(QStringLiteral("xwininfo"), {QStringLiteral("-id"), id});
                if (info.contains(QStringLiteral("IsViewable"))) {
                    ids << id;
                }
            }
        }
        return ids;
    }

    QString trayIcon() {
        const QString tree = m_server.runClient(QStringLiteral("xwininfo"),
                                                {QStringLiteral("-root"), QStringLiteral("-tree")});
        static const QRegularExpression icon(QStringLiteral(
            R"re((0x[0-9a-f]+) .*\("(?:velarion|bench_startup)" "[^"]*"\):? +(\d+)x(\d+)\+)re"));
        for (auto it = icon.globalMatch(tree); it.hasNext();) {
            const auto match = it.next();
            const int w = match.captured(2).toInt();
            const int h = match.captured(3).toInt();
            if (w > 1 && w <= 64 && h <= 64) {
                return match.captured(1);
            }
        }
        return {};
    }

    static long rssKb(qint64 pid) {
        QFile status(QStringLiteral("/proc/%1/status").arg(pid));
        if (!status.open(QIODevice::ReadOnly)) {
            return -1;
        }
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (line.startsWith("VmRSS:")) {
                return line.mid(6).trimmed().split(' ').first().toLong();
            }
        }
        return -1;
    }

    // User and system CPU time of the process, in milliseconds.
    static double cpuMs(qint64 pid) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly)) {
            return -1;
        }
        const QByteArray text = stat.readAll();
        // Fields after the command name, which sits in parentheses and may hold spaces.
        const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
        const double ticks = fields.value(11).toDouble() + fields.value(12).toDouble();
        return ticks * 1000.0 / static_cast<double>(::sysconf(_SC_CLK_TCK));
    }

    XvfbServer& m_server;
};

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? -1 : values[values.size() / 2];
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc > 1 && QByteArray(argv[1]) == "--peer") {
        return runPeer(argc, argv);
    }
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, QByteArray(argv[1]).toInt()) : 3;

    XvfbServer::Options options;
    options.windowManager = true;
    options.trayHost = true;
    XvfbServer server(options);
    if (!server.isRunning()) {
        std::fprintf(stderr, "no X server: %s\n", qPrintable(server.errorString()));
        return 1;
    }
    Runner runner(server);
    struct Subject {
        const char* name;
        QString program;
        QStringList arguments;
    };
    const Subject subjects[] = {
        {"velarion", QStringLiteral(VELARION_BINARY), {}},
        {"empty shell", QCoreApplication::applicationFilePath(), {QStringLiteral("--peer")}},
    };
    std::printf("%-12s %12s %12s %10s %14s   (median of %d runs)\n", "", "start ms", "popover ms",
                "RSS MB", "idle CPU ms/10s", runs);
    for (const Subject& subject : subjects) {
        std::vector<double> start, popover, rss, cpu;
        for (int run = 0; run < runs; ++run) {
            const Figures f = runner.measure(subject.program, subject.arguments);
            start.push_back(f.startMs);
            popover.push_back(f.popoverMs);
            rss.push_back(f.rssMb);
            cpu.push_back(f.idleCpuMs);
        }
        std::printf("%-12s %12.1f %12.1f %10.1f %14.1f\n", subject.name, median(start),
                    median(popover), median(rss), median(cpu));
    }
    std::printf("targets: start < 500 ms, popover < 100 ms, RSS < 120 MB, idle CPU about 0\n");
    return 0;
}
