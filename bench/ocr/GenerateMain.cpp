// velarion-ocr-bench-generate OUT_DIR [COUNT] [SEED]
// Writes COUNT synthetic screenshots (screen_NN.png) with their ground truth (screen_NN.json).

#include "SyntheticScreen.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QJsonDocument>

#include <cstdio>

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.isEmpty()) {
        std::fprintf(stderr, "usage: velarion-ocr-bench-generate OUT_DIR [COUNT] [SEED]\n");
        return 2;
    }
    const QDir dir(args.at(0));
    QDir().mkpath(dir.path());
    const int count = args.size() > 1 ? args.at(1).toInt() : 10;
    const unsigned seed = args.size() > 2 ? args.at(2).toUInt() : 2026;
    SyntheticScreenGenerator generator(seed);
    for (int i = 0; i < count; ++i) {
        const SyntheticScreen screen = generator.generate();
        const QString stem =
            dir.filePath(QStringLiteral("screen_%1").arg(i, 2, 10, QLatin1Char('0')));
        QFile truth(stem + QStringLiteral(".json"));
        if (!screen.image.save(stem + QStringLiteral(".png")) ||
            !truth.open(QIODevice::WriteOnly)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(stem));
            return 1;
        }
        truth.write(QJsonDocument(screen.truthJson()).toJson());
        std::printf("%s.png: %d lines\n", qPrintable(stem), static_cast<int>(screen.lines.size()));
    }
    return 0;
}
