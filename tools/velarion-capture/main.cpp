// velarion-capture: drives the screen capture of the first display of $DISPLAY from the command
// line, for checks and benchmarks.
//
//   velarion-capture --out FRAME.png [--exclude-window ID]...
//   velarion-capture --seconds N [--exclude-window ID]...
//   velarion-capture --list
//
// Window ids are decimal or 0x-prefixed hexadecimal. Every window of the applications owning the
// given windows is left out, as a stealth session does. Exit status 0 on success, 1 otherwise.

#include "capture/CaptureError.h"
#include "capture/ScreenManager.h"
#include "capture/x11/X11CaptureBackend.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFutureWatcher>
#include <QImage>
#include <QMutex>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <optional>

#include <sys/resource.h>

namespace {

struct Options {
    QString out;
    double seconds = 0;
    bool list = false;
    WindowIdSet excluded;
};

[[noreturn]] void fail(const QString& message) {
    std::fprintf(stderr, "velarion-capture: %s\n", qPrintable(message));
    std::exit(1);
}

Options parse(const QStringList& arguments) {
    Options options;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& arg = arguments.at(i);
        const bool hasValue = i + 1 < arguments.size();
        if (arg == QLatin1String("--out") && hasValue) {
            options.out = arguments.at(++i);
        } else if (arg == QLatin1String("--seconds") && hasValue) {
            bool ok = false;
            options.seconds = arguments.at(++i).toDouble(&ok);
            if (!ok || options.seconds <= 0) {
                fail(QStringLiteral("--seconds needs a positive number"));
            }
        } else if (arg == QLatin1String("--exclude-window") && hasValue) {
            bool ok = false;
            const uint id = arguments.at(++i).toUInt(&ok, 0);
            if (!ok) {
                fail(QStringLiteral("not a window id: %1").arg(arguments.at(i)));
            }
            options.excluded.insert(id);
        } else if (arg == QLatin1String("--list")) {
            options.list = true;
        } else {
            fail(QStringLiteral("unknown or incomplete argument: %1").arg(arg));
        }
    }
    const int modes = int(!options.out.isEmpty()) + int(options.seconds > 0) + int(options.list);
    if (modes != 1) {
        fail(QStringLiteral("give exactly one of --out FILE, --seconds N, --list"));
    }
    return options;
}

template <typename T>
T await(QFuture<T> future) {
    QFutureWatcher<T> watcher;
    QEventLoop loop;
    QObject::connect(&watcher, &QFutureWatcher<T>::finished, &loop, &QEventLoop::quit);
    watcher.setFuture(future);
    if (!future.isFinished()) {
        loop.exec();
    }
    if constexpr (std::is_void_v<T>) {
        future.waitForFinished();
    } else {
        return future.result();
    }
}

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6 + usage.ru_stime.tv_sec +
           usage.ru_stime.tv_usec / 1e6;
}

// Counts frames and, when asked, keeps a copy of the first.
class FrameCollector final : public PixelBufferSink {
public:
    explicit FrameCollector(bool keepFirst)
        : m_keepFirst(keepFirst) {}

    void publish(const PixelBuffer& frame) override {
        if (m_keepFirst && m_frames == 0) {
            const QMutexLocker lock(&m_mutex);
            m_first = QImage(frame.data, frame.width, frame.height, frame.bytesPerRow,
                             QImage::Format_RGB32)
                          .copy();
        }
        ++m_frames;
    }

    int frames() const { return m_frames; }
    QImage first() const {
        const QMutexLocker lock(&m_mutex);
        return m_first;
    }

private:
    bool m_keepFirst;
    mutable QMutex m_mutex;
    QImage m_first;
    std::atomic<int> m_frames{0};
};

// Runs the event loop until `done` holds or the time is up. Frames arrive on the capture thread,
// so a short poll is enough while waiting for the first; a long wait sleeps in the loop.
void wait(int milliseconds, const std::function<bool()>& done, int pollMs) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < milliseconds) {
        QEventLoop loop;
        QTimer::singleShot(std::min<qint64>(pollMs, milliseconds - timer.elapsed()), &loop,
                           &QEventLoop::quit);
        loop.exec();
    }
}

int run(const Options& options) {
    ScreenManager manager(std::make_shared<X11CaptureBackend>());
    if (options.list) {
        await(manager.refreshAvailableWindows());
        for (const WindowInfo& info : manager.windowInfos()) {
            std::printf("%u\t%s\t%s\n", info.id, qPrintable(info.appName), qPrintable(info.title));
        }
        return 0;
    }

    FrameCollector collector(!options.out.isEmpty());
    manager.setVirtualCameraService(&collector);
    const double cpuBefore = cpuSeconds();
    await(manager.startStealthSession(options.excluded));
    if (!manager.isCapturing()) {
        fail(QStringLiteral("no display to capture"));
    }
    if (!options.out.isEmpty()) {
        wait(
            10'000, [&] { return collector.frames() > 0; }, 10);
        await(manager.stopCapture());
        const QImage frame = collector.first();
        if (frame.isNull()) {
            fail(QStringLiteral("no frame arrived"));
        }
        if (!frame.save(options.out, "PNG")) {
            fail(QStringLiteral("cannot write %1").arg(options.out));
        }
        return 0;
    }
    QElapsedTimer elapsed;
    elapsed.start();
    {
        // Idle until the time is up or the stream dies: the tool's own wake-ups stay out of the
        // capture's cost.
        QEventLoop loop;
        QTimer::singleShot(static_cast<int>(options.seconds * 1000), &loop, &QEventLoop::quit);
        QObject::connect(&manager, &ScreenManager::isCapturingChanged, &loop, &QEventLoop::quit);
        loop.exec();
    }
    const double seconds = elapsed.elapsed() / 1000.0;
    const bool died = !manager.isCapturing();
    await(manager.stopCapture());
    if (died) {
        fail(QStringLiteral("the capture stopped early"));
    }
    std::printf("frames=%d fps=%.2f cpu_s=%.3f\n", collector.frames(), collector.frames() / seconds,
                cpuSeconds() - cpuBefore);
    return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    const Options options = parse(application.arguments());
    try {
        return run(options);
    } catch (const CaptureError& error) {
        fail(error.description());
    } catch (const std::exception& error) {
        fail(QString::fromLocal8Bit(error.what()));
    }
}
