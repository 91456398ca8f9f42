// A small X11 client around OCROverlayController for the overlay tests: it reads commands on
// standard input and answers on standard output, one line each.
//   show OPACITY IMAGE_W IMAGE_H [X,Y,W,H ...]  -> "shown WINDOW_ID"
//   hide                                         -> "hidden"
//   compositor                                   -> "compositor 1" while one runs, else 0
// At start it prints "ready".

#include "ocr/OCROverlayController.h"
#include "ocr/x11/X11Compositor.h"

#include <QApplication>
#include <QSocketNotifier>

#include <cstdio>

namespace {

void answer(const QString& line) {
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

QList<SensitiveRegion> parseRegions(const QStringList& fields) {
    QList<SensitiveRegion> regions;
    for (const QString& field : fields) {
        const QStringList n = field.split(QLatin1Char(','));
        if (n.size() == 4) {
            regions.append(SensitiveRegion{
                QUuid::createUuid(),
                QRectF(n[0].toDouble(), n[1].toDouble(), n[2].toDouble(), n[3].toDouble()),
                SensitiveDataKind::email, QString()});
        }
    }
    return regions;
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    OCROverlayController overlay;
    QSocketNotifier input(0, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &app, [&] {
        char buffer[4096];
        if (std::fgets(buffer, sizeof buffer, stdin) == nullptr) {
            QApplication::quit();
            return;
        }
        const QStringList words =
            QString::fromUtf8(buffer).trimmed().split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (words.isEmpty()) {
            return;
        }
        if (words[0] == QLatin1String("show") && words.size() >= 4) {
            overlay.show(parseRegions(words.mid(4)), words[2].toDouble(), words[3].toDouble(),
                         words[1].toDouble());
            // Paint before answering; the tests still wait for what a screenshot shows.
            QApplication::processEvents();
            QApplication::sync();
            answer(QStringLiteral("shown %1").arg(overlay.windowId().value_or(0)));
        } else if (words[0] == QLatin1String("hide")) {
            overlay.hide();
            QApplication::sync();
            answer(QStringLiteral("hidden"));
        } else if (words[0] == QLatin1String("compositor")) {
            const bool running = X11Compositor::isRunning().value_or(false);
            answer(QStringLiteral("compositor %1").arg(running ? 1 : 0));
        }
    });
    answer(QStringLiteral("ready"));
    return QApplication::exec();
}
