// velarion-ocr-bench-enlarge IN_DIR OUT_DIR
// Turns a set of 1× screens (screen_NN.png with screen_NN.json, the truth already in 2× pixels)
// into the snapshots the product takes of them: every image enlarged twice as the X11 composer
// does. The truth files are copied unchanged.

#include "SnapshotEnlargement.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>

#include <cstdio>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: velarion-ocr-bench-enlarge IN_DIR OUT_DIR\n");
        return 2;
    }
    const QDir in(args.at(0));
    const QDir out(args.at(1));
    QDir().mkpath(out.path());
    for (const QString& name : in.entryList({QStringLiteral("screen_*.png")}, QDir::Files)) {
        const QString truth =
            QString(name).replace(QStringLiteral(".png"), QStringLiteral(".json"));
        QFile::remove(out.filePath(truth));
        if (!SnapshotEnlargement::enlargeTwice(QImage(in.filePath(name)))
                 .save(out.filePath(name)) ||
            !QFile::copy(in.filePath(truth), out.filePath(truth))) {
            std::fprintf(stderr, "cannot enlarge %s\n", qPrintable(name));
            return 1;
        }
    }
    return 0;
}
