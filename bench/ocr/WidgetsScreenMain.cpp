// velarion-ocr-bench-widgets LAYOUT_JSON TRUTH_JSON [Qt options, e.g. -platform xcb]
// Shows the windows LAYOUT_JSON describes as real top-level Qt widgets (tables, forms, a text
// editor, lists, buttons, menu bars) and, once they are laid out, writes every visible text line
// with its characters' edges in root-window pixels to TRUTH_JSON; then keeps the windows up until
// it is ended, so that render_qt.py can take the screenshot.

#include "WidgetsScreenTruth.h"
#include "WidgetsScreenWindows.h"

#include <QApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStyleFactory>
#include <QTimer>

#include <cstdio>

int main(int argc, char* argv[]) {
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication app(argc, argv);
    QApplication::setCursorFlashTime(0);
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: velarion-ocr-bench-widgets LAYOUT_JSON TRUTH_JSON\n");
        return 2;
    }
    QFile in(args.at(0));
    if (!in.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(args.at(0)));
        return 1;
    }
    const QJsonObject layout = QJsonDocument::fromJson(in.readAll()).object();
    const int scale = layout.value(QStringLiteral("scale")).toInt(1);

    // The desktop: one window under the others, the size of the screen.
    QWidget desktop(nullptr, Qt::Window | Qt::FramelessWindowHint);
    QPalette ground;
    ground.setColor(QPalette::Window, QColor(layout.value(QStringLiteral("desktop")).toString()));
    desktop.setPalette(ground);
    desktop.setAutoFillBackground(true);
    desktop.setGeometry(0, 0, layout.value(QStringLiteral("width")).toInt(),
                        layout.value(QStringLiteral("height")).toInt());
    desktop.show();
    // The truth is in device-independent pixels: with a scale factor it would not be the root's.
    if (desktop.devicePixelRatioF() != 1.0) {
        std::fprintf(stderr, "device pixel ratio %g: unset QT_SCALE_FACTOR and friends\n",
                     desktop.devicePixelRatioF());
        return 1;
    }

    QList<Window> windows;
    for (const QJsonValue& description : layout.value(QStringLiteral("windows")).toArray()) {
        windows << buildWindow(description.toObject(), scale);
        windows.last().top->show();
        windows.last().top->raise();
    }

    const QString truthPath = args.at(1);
    int status = 0;
    // Once the windows are mapped and laid out; the driver waits for this file, then for the
    // screen to stop changing.
    QTimer::singleShot(700, &app, [&]() {
        QFile out(truthPath + QStringLiteral(".part"));
        if (!out.open(QIODevice::WriteOnly)) {
            status = 1;
            QCoreApplication::exit(1);
            return;
        }
        out.write(QJsonDocument(truthOf(windows)).toJson());
        out.close();
        QFile::remove(truthPath);
        out.rename(truthPath);
    });
    const int result = QApplication::exec();
    for (Window& w : windows) {
        delete w.top;
    }
    return result ? result : status;
}
