// A long run of the real capture while windows come and go: two applications are left out (this
// process, whose driver thread opens, closes, moves, resizes, maps and unmaps its own windows,
// and a helper process whose windows wander), three more processes repaint at 30 Hz and one of
// them is replaced every few seconds, and the driver moves, resizes, maps and unmaps all their
// windows too, many times a second. Every frame is searched for the left-out colours.
//
//   capture_soak [--seconds N] [--actions-per-second A] [--window-manager]
//
// Prints the figures and exits 1 when a frame showed a left-out window, the stream ended by
// itself, or resident memory grew by 5 % or more between the end of the warm-up and the end.

#include "SoakDriver.h"

#include "capture/PixelBuffer.h"
#include "capture/ScreenManager.h"
#include "capture/x11/X11CaptureBackend.h"
#include "core/Logging.h"
#include "support/XvfbServer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLoggingCategory>
#include <QProcess>
#include <QTest>

#include <atomic>
#include <cstdio>
#include <memory>

namespace {

constexpr int kWidth = 1280;
constexpr int kHeight = 800;
constexpr std::uint32_t kOwnColour = 0x00ff00;     // this process's windows, left out
constexpr std::uint32_t kHelperColour = 0xff00ff;  // the helper's windows, left out
constexpr int kWarmUpSeconds = 10;
// One "other" process is replaced this often, so windows of whole processes come and go.
constexpr int kReplaceEveryMs = 3000;

// Counts frames and those showing a left-out colour anywhere on a 2-pixel grid (every window
// is far larger). Runs on the capture thread.
class LeakCounter final : public PixelBufferSink {
public:
    void publish(const PixelBuffer& frame) override {
        bool leaked = false;
        for (int y = 0; y < frame.height && !leaked; y += 2) {
            const auto* row =
                reinterpret_cast<const std::uint32_t*>(frame.data + y * frame.bytesPerRow);
            for (int x = 0; x < frame.width && !leaked; x += 2) {
                const std::uint32_t rgb = row[x] & 0xffffff;
                leaked = rgb == kOwnColour || rgb == kHelperColour;
            }
        }
        leaks += leaked ? 1 : 0;
        ++frames;
    }
    std::atomic<std::uint64_t> frames{0};
    std::atomic<std::uint64_t> leaks{0};
};

long residentKiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return 0;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) {
            return line.mid(6).trimmed().split(' ').value(0).toLong();
        }
    }
    return 0;
}

// Capture-side X errors are logged at debug level by the stream; counted here.
std::atomic<std::uint64_t> g_captureXErrors{0};
QtMessageHandler g_previousHandler = nullptr;

void countCaptureErrors(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type == QtDebugMsg && text.contains(QLatin1String("skipped X error"))) {
        ++g_captureXErrors;
        return;
    }
    g_previousHandler(type, context, text);
}

// A helper process with windows of `colour` (ids from its "ready" line), `extra` arguments.
struct Helper {
    std::unique_ptr<QProcess> process;
    QList<std::uint32_t> ids;
};

Helper startHelper(const XvfbServer& server, const QString& windowClass, std::uint32_t colour,
                   const QStringList& extra, int seed) {
    Helper helper{std::make_unique<QProcess>(), {}};
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), server.display());
    helper.process->setProcessEnvironment(env);
    helper.process->setStandardErrorFile(QProcess::nullDevice());
    QStringList arguments{QStringLiteral("--class"), windowClass};
    const QString hex = QString::number(colour, 16).rightJustified(6, QLatin1Char('0'));
    for (int w = 0; w < 2; ++w) {
        arguments << QStringLiteral("--window")
                  << QStringLiteral("%1x%2+%3+%4#%5:%6 %7")
                         .arg(200 + 40 * ((seed + w) % 5))
                         .arg(150 + 30 * ((seed * 3 + w) % 4))
                         .arg(((seed * 7 + w * 5) % 9) * 120)
                         .arg(((seed * 5 + w * 3) % 6) * 110)
                         .arg(hex, windowClass)
                         .arg(w);
    }
    helper.process->start(QStringLiteral(CAPTURE_TEST_WINDOW), arguments + extra);
    if (helper.process->waitForReadyRead(15'000)) {
        for (const QByteArray& word : helper.process->readLine().trimmed().split(' ').mid(1)) {
            helper.ids.append(word.toUInt());
        }
    }
    return helper;
}

void stopHelper(Helper& helper) {
    helper.process->kill();
    helper.process->waitForFinished(5000);
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const auto option = [&](const char* name, double fallback) {
        const qsizetype at = args.indexOf(QLatin1String(name));
        return at > 0 && at + 1 < args.size() ? args.at(at + 1).toDouble() : fallback;
    };
    const double seconds = option("--seconds", 60);
    const int actionsPerSecond = static_cast<int>(option("--actions-per-second", 40));

    QLoggingCategory::setFilterRules(
        QStringLiteral("com.orvandel.Velarion.ScreenManager.debug=true"));
    g_previousHandler = qInstallMessageHandler(countCaptureErrors);

    XvfbServer::Options options;
    options.width = kWidth;
    options.height = kHeight;
    options.windowManager = args.contains(QStringLiteral("--window-manager"));
    XvfbServer server(options);
    if (!server.isRunning()) {
        std::fprintf(stderr, "capture_soak: %s\n", qPrintable(server.errorString()));
        return 2;
    }
    SoakDriver driver(server.display(), kOwnColour, kWidth, kHeight);
    Helper leftOut = startHelper(server, QStringLiteral("LeftOut"), kHelperColour,
                                 {QStringLiteral("--wander")}, 1);
    std::vector<Helper> others;
    const std::uint32_t otherColours[] = {0x2050a0, 0xa05020, 0x808080};
    for (int i = 0; i < 3; ++i) {
        others.push_back(startHelper(server, QStringLiteral("Other%1").arg(i), otherColours[i],
                                     {QStringLiteral("--animate")}, i + 2));
    }
    if (!driver.isConnected() || leftOut.ids.isEmpty() || others.back().ids.isEmpty()) {
        std::fprintf(stderr, "capture_soak: the helpers did not start\n");
        return 2;
    }
    const auto foreignWindows = [&] {
        QList<std::uint32_t> windows = leftOut.ids;
        for (const Helper& other : others) {
            windows += other.ids;
        }
        return windows;
    };
    driver.setForeignWindows(foreignWindows());

    auto backend = std::make_shared<X11CaptureBackend>(server.display().toLocal8Bit());
    ScreenManager manager(backend);
    LeakCounter counter;
    manager.setVirtualCameraService(&counter);
    const WindowIdSet excluded{driver.firstWindow(), leftOut.ids.first()};
    const auto startSession = [&] {
        QFuture<void> started = manager.startStealthSession(excluded);
        return QTest::qWaitFor([&] { return started.isFinished(); }, 30'000) &&
               manager.isCapturing();
    };
    if (!startSession()) {
        std::fprintf(stderr, "capture_soak: the capture did not start\n");
        return 2;
    }
    int streamEnds = 0;
    const QMetaObject::Connection watch =
        QObject::connect(&manager, &ScreenManager::isCapturingChanged, &app, [&] {
            if (!manager.isCapturing()) {
                ++streamEnds;  // never asked for: the stream ended by itself
            }
        });

    driver.start(actionsPerSecond);
    QElapsedTimer clock;
    clock.start();
    long rssAfterWarmUp = 0;
    int replaced = 0;
    qint64 nextReplace = kReplaceEveryMs;
    while (clock.elapsed() < static_cast<qint64>(seconds * 1000)) {
        QTest::qWait(100);
        if (rssAfterWarmUp == 0 && clock.elapsed() >= kWarmUpSeconds * 1000) {
            rssAfterWarmUp = residentKiB();
        }
        if (clock.elapsed() >= nextReplace) {
            nextReplace += kReplaceEveryMs;
            Helper& old = others[static_cast<std::size_t>(replaced % 3)];
            stopHelper(old);
            old = startHelper(server, QStringLiteral("Other%1").arg(replaced % 3),
                              otherColours[replaced % 3], {QStringLiteral("--animate")},
                              replaced + 5);
            ++replaced;
            driver.setForeignWindows(foreignWindows());
        }
        if (!manager.isCapturing() && !startSession()) {
            break;
        }
    }
    driver.stop();
    QObject::disconnect(watch);
    const long rssAtEnd = residentKiB();
    QFuture<void> stopped = manager.stopCapture();
    if (!QTest::qWaitFor([&] { return stopped.isFinished(); }, 30'000)) {
        std::fprintf(stderr, "capture_soak: the capture did not stop\n");
    }
    manager.setVirtualCameraService(nullptr);
    for (Helper& helper : others) {
        stopHelper(helper);
    }
    stopHelper(leftOut);

    if (rssAfterWarmUp == 0) {
        rssAfterWarmUp = rssAtEnd;  // a run shorter than the warm-up
    }
    const double growth = 100.0 * double(rssAtEnd - rssAfterWarmUp) / double(rssAfterWarmUp);
    std::printf("capture soak: %.0f s, %llu driver actions, %d processes replaced\n", seconds,
                static_cast<unsigned long long>(driver.actions()), replaced);
    std::printf("  frames delivered      %llu (%.1f per second)\n",
                static_cast<unsigned long long>(counter.frames.load()),
                double(counter.frames.load()) / seconds);
    std::printf("  frames with a left-out window's colour  %llu\n",
                static_cast<unsigned long long>(counter.leaks.load()));
    std::printf("  X errors: capture connection %llu (skipped windows), driver %llu (expected)\n",
                static_cast<unsigned long long>(g_captureXErrors.load()),
                static_cast<unsigned long long>(driver.xErrors()));
    std::printf("  stream ended by itself %d times; crashes 0 (the process is alive)\n",
                streamEnds);
    std::printf("  resident memory after %d s warm-up %ld KiB, at end %ld KiB (%+.2f %%)\n",
                kWarmUpSeconds, rssAfterWarmUp, rssAtEnd, growth);
    std::fflush(stdout);
    const bool sound = counter.leaks == 0 && streamEnds == 0 && growth < 5.0 && counter.frames > 0;
    return sound ? 0 : 1;
}
