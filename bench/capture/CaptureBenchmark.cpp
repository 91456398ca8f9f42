// Compares the CPU cost of the live capture (two applications left out, cursor drawn, at most 30
// frames a second) with `ffmpeg -f x11grab` of the same screen at 30 frames a second, in the same
// run, on the same private Xvfb with openbox and eight client windows. The cost counted is the
// capturing process plus the X server, since composing and reading back happen in the server.
//
//   capture_bench [--seconds N] [--rounds R] [--capture PROGRAM]
//
// Each tool runs R times, taking turns, for N seconds measured in all. PROGRAM is another
// build of velarion-capture to measure instead of this one (an older one, say).
//
// Three scenes per screen size: full motion (every window repaints 30 times a second) with the
// left-out applications' windows beneath the others, the same with them on top (so what lies
// beneath them must be composed in every frame), and a mostly static screen (one small clock
// area changes once a second).

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QThread>

#include <array>
#include <cstdio>
#include <memory>
#include <vector>

#include <sys/resource.h>
#include <unistd.h>

namespace {

double processCpuSeconds(qint64 pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly)) {
        return 0;
    }
    const QByteArray text = stat.readAll();
    // Fields after the parenthesised command name; utime and stime are the 14th and 15th.
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    const double ticks = fields.value(11).toDouble() + fields.value(12).toDouble();
    return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
}

class Screen {
public:
    Screen(int width, int height) {
        m_server.setProcessChannelMode(QProcess::SeparateChannels);
        // -displayfd 1: the server writes its display number to its standard output when ready.
        m_server.start(
            QStringLiteral("Xvfb"),
            {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
             QStringLiteral("0"), QStringLiteral("%1x%2x24").arg(width).arg(height),
             QStringLiteral("+extension"), QStringLiteral("Composite"), QStringLiteral("-nolisten"),
             QStringLiteral("tcp")});
        QByteArray number;
        const QDeadlineTimer deadline(10'000);
        while (!number.endsWith('\n') && !deadline.hasExpired() &&
               m_server.waitForReadyRead(static_cast<int>(deadline.remainingTime()))) {
            number += m_server.readAllStandardOutput();
        }
        m_display = QStringLiteral(":") + QString::fromLatin1(number.trimmed());
        m_env = QProcessEnvironment::systemEnvironment();
        m_env.insert(QStringLiteral("DISPLAY"), m_display);
        start(QStringLiteral("openbox"), {});
        QThread::msleep(1000);
    }

    ~Screen() {
        for (auto it = m_clients.rbegin(); it != m_clients.rend(); ++it) {
            (*it)->kill();
            (*it)->waitForFinished(3000);
        }
        m_server.terminate();
        m_server.waitForFinished(5000);
    }

    bool isRunning() const { return m_display.size() > 1; }
    const QString& display() const { return m_display; }
    qint64 serverPid() const { return m_server.processId(); }
    const QProcessEnvironment& environment() const { return m_env; }

    // Starts a client and returns the window ids it announces, if it announces any.
    QList<uint> start(const QString& program, const QStringList& arguments) {
        auto process = std::make_unique<QProcess>();
        process->setProcessEnvironment(m_env);
        process->setStandardErrorFile(QProcess::nullDevice());
        process->start(program, arguments);
        QList<uint> ids;
        if (program == QLatin1String(CAPTURE_TEST_WINDOW) && process->waitForReadyRead(10'000)) {
            for (const QByteArray& word : process->readLine().trimmed().split(' ').mid(1)) {
                ids.append(word.toUInt());
            }
        }
        m_clients.push_back(std::move(process));
        return ids;
    }

private:
    QProcess m_server;
    QString m_display;
    QProcessEnvironment m_env;
    std::vector<std::unique_ptr<QProcess>> m_clients;
};

struct Cost {
    double toolCpu = 0;
    double serverCpu = 0;
    double frames = 0;
    double total() const { return toolCpu + serverCpu; }
    Cost& operator+=(const Cost& other) {
        toolCpu += other.toolCpu;
        serverCpu += other.serverCpu;
        frames += other.frames;
        return *this;
    }
};

// Steady state: the tool runs for a warm-up plus `seconds`; CPU is sampled from /proc after the
// warm-up and `seconds` later, so start-up costs (connecting, the first full frame) stay out.
Cost measure(Screen& screen, const QString& program, QStringList arguments, double seconds) {
    constexpr int kWarmUpMs = 2000;
    for (QString& argument : arguments) {
        argument.replace(QStringLiteral("@SECONDS@"), QString::number(seconds + 4));
    }
    QProcess process;
    process.setProcessEnvironment(screen.environment());
    process.start(program, arguments);
    process.waitForStarted();
    QThread::msleep(kWarmUpMs);
    const qint64 pid = process.processId();
    const double toolBefore = processCpuSeconds(pid);
    const double serverBefore = processCpuSeconds(screen.serverPid());
    QThread::msleep(static_cast<unsigned long>(seconds * 1000));
    Cost cost;
    cost.toolCpu = processCpuSeconds(pid) - toolBefore;
    cost.serverCpu = processCpuSeconds(screen.serverPid()) - serverBefore;
    process.waitForFinished(30'000);
    const QString out = QString::fromUtf8(process.readAllStandardOutput());
    const QRegularExpressionMatch frames =
        QRegularExpression(QStringLiteral("frames=(\\d+)")).match(out);
    cost.frames = frames.hasMatch() ? frames.captured(1).toDouble() : -1;
    if (process.exitCode() != 0) {
        std::fprintf(stderr, "%s failed: %s\n", qPrintable(program),
                     qPrintable(QString::fromUtf8(process.readAllStandardError())));
    }
    return cost;
}

void runScene(const QString& captureProgram, int width, int height, bool motion, bool leftOutOnTop,
              double seconds, int rounds) {
    Screen screen(width, height);
    if (!screen.isRunning()) {
        std::fprintf(stderr, "Xvfb did not start\n");
        return;
    }
    const QString mode = motion ? QStringLiteral("--animate") : QString();
    QList<uint> excluded;
    // Four applications, two windows each, overlapping across the screen.
    // Windows opened later lie above; applications 0 and 1 are left out.
    const std::array<int, 4> order = leftOutOnTop ? std::array{2, 3, 0, 1} : std::array{0, 1, 2, 3};
    for (const int app : order) {
        QStringList arguments{QStringLiteral("--class"), QStringLiteral("App%1").arg(app)};
        for (int w = 0; w < 2; ++w) {
            const int index = app * 2 + w;
            const int x = (index % 4) * width / 5;
            const int y = (index / 4) * height / 3 + 40;
            arguments << QStringLiteral("--window")
                      << QStringLiteral("%1x%2+%3+%4#%5:window %6")
                             .arg(width / 3)
                             .arg(height / 2)
                             .arg(x)
                             .arg(y)
                             .arg(QString::number(0x203040 * (index + 1) & 0xffffff, 16)
                                      .rightJustified(6, QLatin1Char('0')))
                             .arg(index);
        }
        if (motion) {
            arguments << mode;
        } else if (app == 2) {
            arguments << QStringLiteral("--clock");
        }
        const QList<uint> ids = screen.start(QStringLiteral(CAPTURE_TEST_WINDOW), arguments);
        if (app < 2 && !ids.isEmpty()) {
            excluded.append(ids.first());
        }
    }
    QThread::msleep(1000);

    QStringList captureArgs{QStringLiteral("--seconds"), QStringLiteral("@SECONDS@")};
    for (const uint id : excluded) {
        captureArgs << QStringLiteral("--exclude-window") << QString::number(id);
    }
    const QStringList grabArgs{QStringLiteral("-nostdin"),
                               QStringLiteral("-loglevel"),
                               QStringLiteral("error"),
                               QStringLiteral("-f"),
                               QStringLiteral("x11grab"),
                               QStringLiteral("-framerate"),
                               QStringLiteral("30"),
                               QStringLiteral("-video_size"),
                               QStringLiteral("%1x%2").arg(width).arg(height),
                               QStringLiteral("-draw_mouse"),
                               QStringLiteral("1"),
                               QStringLiteral("-i"),
                               screen.display(),
                               QStringLiteral("-t"),
                               QString::number(seconds / rounds + 4),
                               QStringLiteral("-f"),
                               QStringLiteral("null"),
                               QStringLiteral("-")};
    // The two take turns, so a change in the machine's load weighs on both alike.
    Cost capture;
    Cost grab;
    for (int round = 0; round < rounds; ++round) {
        capture += measure(screen, captureProgram, captureArgs, seconds / rounds);
        grab += measure(screen, QStringLiteral("ffmpeg"), grabArgs, seconds / rounds);
    }

    const auto percent = [seconds](double cpu) {
        return 100.0 * cpu / seconds;
    };
    std::printf(
        "%dx%d %-14s  capture: %5.1f%% of a core (process %5.1f%%, X server %5.1f%%, "
        "%.0f frames in the whole runs)  x11grab: %5.1f%% (process %5.1f%%, X server %5.1f%%)  "
        "ratio %.2f\n",
        width, height,
        !motion        ? "static"
        : leftOutOnTop ? "motion, on top"
                       : "motion",
        percent(capture.total()), percent(capture.toolCpu), percent(capture.serverCpu),
        capture.frames, percent(grab.total()), percent(grab.toolCpu), percent(grab.serverCpu),
        grab.total() > 0 ? capture.total() / grab.total() : 0.0);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    double seconds = 10;
    const QStringList arguments = application.arguments();
    const qsizetype at = arguments.indexOf(QStringLiteral("--seconds"));
    if (at > 0 && at + 1 < arguments.size()) {
        seconds = arguments.at(at + 1).toDouble();
    }
    QString captureProgram = QStringLiteral(VELARION_CAPTURE);
    const qsizetype captureAt = arguments.indexOf(QStringLiteral("--capture"));
    if (captureAt > 0 && captureAt + 1 < arguments.size()) {
        captureProgram = arguments.at(captureAt + 1);
    }
    int rounds = 2;
    const qsizetype roundsAt = arguments.indexOf(QStringLiteral("--rounds"));
    if (roundsAt > 0 && roundsAt + 1 < arguments.size()) {
        rounds = std::max(1, arguments.at(roundsAt + 1).toInt());
    }
    for (const auto& [width, height] : {std::pair{1920, 1080}, std::pair{3024, 1964}}) {
        runScene(captureProgram, width, height, /*motion=*/true, /*leftOutOnTop=*/false, seconds,
                 rounds);
        runScene(captureProgram, width, height, /*motion=*/true, /*leftOutOnTop=*/true, seconds,
                 rounds);
        runScene(captureProgram, width, height, /*motion=*/false, /*leftOutOnTop=*/false, seconds,
                 rounds);
    }
    return 0;
}
