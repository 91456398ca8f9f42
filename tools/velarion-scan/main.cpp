// velarion-scan IMAGE.png [--redact OUT.png]
//
// Finds sensitive text in an image with the application's own detector and prints one JSON object
// per region per line, in the detector's order. With --redact it also writes the image with every
// region blacked out, for sharing a screenshot safely. Exit status 0 (also when nothing is
// found); 1 when the image cannot be read, recognition itself fails (no engine module, no
// language data) or the redacted copy cannot be written; 2 for a wrong command line. A failed
// recognition is never reported as "nothing found": a caller redacting a screenshot would share
// it unredacted.

#include "RegionJson.h"
#include "core/Console.h"
#include "ocr/EnginePool.h"
#include "ocr/PrivacyProtector.h"
#include "ocr/ScreenTextReader.h"

#include <QCoreApplication>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QStringList>

#include <cstdio>
#include <exception>

namespace {

void printError(const QString& message) {
    std::fprintf(stderr, "velarion-scan: %s\n", qPrintable(message));
}

int usage() {
    std::fprintf(stderr, "usage: velarion-scan IMAGE.png [--redact OUT.png]\n");
    return 2;
}

bool writeRedacted(const QImage& image, const QList<SensitiveRegion>& regions,
                   const QString& path) {
    QImage redacted = image.convertToFormat(QImage::Format_RGB32);
    QPainter painter(&redacted);
    for (const SensitiveRegion& region : regions) {
        painter.fillRect(region.bounds, Qt::black);
    }
    painter.end();
    return redacted.save(path);
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    QString imagePath;
    QString redactPath;
    for (int i = 0; i < args.size(); ++i) {
        if (args.at(i) == QLatin1String("--redact")) {
            if (i + 1 >= args.size() || !redactPath.isEmpty()) {
                return usage();
            }
            redactPath = args.at(++i);
        } else if (imagePath.isEmpty() && !args.at(i).startsWith(QLatin1String("--"))) {
            imagePath = args.at(i);
        } else {
            return usage();
        }
    }
    if (imagePath.isEmpty()) {
        return usage();
    }

    QImageReader reader(imagePath);
    const QImage image = reader.read();
    if (image.isNull()) {
        printError(QStringLiteral("cannot read image %1: %2").arg(imagePath, reader.errorString()));
        return 1;
    }

    // The reader directly, not PrivacyProtector::scan: the latter turns a failed recognition into
    // an empty result, which is right for the periodic mask and wrong for this tool.
    RecognitionOutcome outcome;
    try {
        ScreenTextReader reader(EnginePool::shared());
        outcome = reader.read(image);
    } catch (const std::exception& error) {
        outcome.error = QString::fromLocal8Bit(error.what());
    }
    if (outcome.failed()) {
        printError(QStringLiteral("text recognition failed: %1").arg(outcome.error));
        return 1;
    }
    const QList<SensitiveRegion> regions = PrivacyProtector::regionsForLines(outcome.lines);
    for (const SensitiveRegion& region : regions) {
        Console::printLine(regionJsonLine(region));
    }
    if (!redactPath.isEmpty() && !writeRedacted(image, regions, redactPath)) {
        printError(QStringLiteral("cannot write %1").arg(redactPath));
        return 1;
    }
    return 0;
}
