// velarion-publish-test IMAGE.png --seconds N
// Publishes an image through a real VirtualCameraService 30 times a second for N seconds, as the
// screen capture would, so that the camera path can be checked without a screen. Any image size
// works: other sizes than 1920 × 1080 go through the scaling path. SIGINT/SIGTERM stop early.

#include "capture/publisher/VirtualCameraService.h"
#include "shared/FrameHandoff.h"
#include "shared/NotifyCenter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QTimer>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstring>

namespace {

std::atomic<bool> g_stopRequested{false};

void requestStop(int) {
    g_stopRequested = true;
}

int usage() {
    std::fprintf(stderr, "usage: velarion-publish-test IMAGE.png --seconds N\n");
    return 2;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc != 4 || std::strcmp(argv[2], "--seconds") != 0) {
        return usage();
    }
    bool numberOk = false;
    const double seconds = QString::fromLocal8Bit(argv[3]).toDouble(&numberOk);
    if (!numberOk || seconds <= 0) {
        return usage();
    }
    QCoreApplication application(argc, argv);
    const QImage loaded(QString::fromLocal8Bit(argv[1]));
    if (loaded.isNull()) {
        std::fprintf(stderr, "Cannot read image %s\n", argv[1]);
        return 1;
    }
    const QImage image = loaded.convertToFormat(QImage::Format_ARGB32);
    const PixelBuffer frame{image.constBits(), image.width(), image.height(),
                            int(image.bytesPerLine())};

    std::signal(SIGINT, requestStop);
    std::signal(SIGTERM, requestStop);

    NotifyCenter notifyCenter;
    VirtualCameraService service(notifyCenter);
    service.startPublishing();
    if (!service.isPublishing()) {
        std::fprintf(stderr, "%s\n", qPrintable(service.statusMessage()));
        return 1;
    }

    QElapsedTimer elapsed;
    elapsed.start();
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    ticker.setInterval(1000 / FrameHandoff::kFramesPerSecond);
    quint64 frames = 0;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        if (g_stopRequested || elapsed.elapsed() >= qint64(seconds * 1000)) {
            QCoreApplication::quit();
            return;
        }
        service.publish(frame);
        ++frames;
    });
    ticker.start();
    application.exec();

    service.stopPublishing();
    std::printf("published %llu frames of %dx%d\n", static_cast<unsigned long long>(frames),
                image.width(), image.height());
    return 0;
}
