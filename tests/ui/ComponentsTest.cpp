#include "QmlHost.h"

#include <QColor>
#include <QRegularExpression>
#include <QTest>

#include "support/LogCapture.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace {

QColor pixelAt(const QImage& image, QQuickItem* item, QPointF local) {
    const QPointF scene = item->mapToScene(local);
    return image.pixelColor(scene.toPoint());
}

}  // namespace

TEST(ComponentsTest, SwitchOnlyAsksAndNeverChangesByItself) {
    QmlHost host;
    QQuickItem* root = host.load(R"qml(
        import QtQuick
        import Velarion.Ui
        Item {
            property bool model: false
            property var requests: []
            ControlledSwitch {
                objectName: "switch"; x: 20; y: 20
                on: parent.model
                onFlipRequested: wanted => parent.requests = parent.requests.concat([wanted])
            }
        })qml");
    ASSERT_TRUE(root);
    QQuickItem* control = host.find(QStringLiteral("switch"));
    QQuickItem* knob = host.find(QStringLiteral("knob"));
    ASSERT_TRUE(control && knob);
    const qreal offX = knob->x();

    host.click(control);
    QTest::qWait(400);
    EXPECT_EQ(root->property("requests").toList(), QVariantList{true});
    EXPECT_FALSE(control->property("on").toBool());
    EXPECT_EQ(knob->x(), offX) << "a refused flip leaves the knob where it was";

    // The model agrees: the switch follows it, and the next click asks for off.
    root->setProperty("model", true);
    QTRY_COMPARE_WITH_TIMEOUT(knob->x() > offX, true, 2000);
    host.click(control);
    EXPECT_EQ(root->property("requests").toList(), (QVariantList{true, false}));
    EXPECT_TRUE(control->property("on").toBool());
}

TEST(ComponentsTest, MarkdownLinksOpenThroughTheShell) {
    QmlHost host;
    ASSERT_TRUE(host.load(R"qml(
        import QtQuick
        import Velarion.Ui
        Item {
            MarkdownLabel { objectName: "label"; x: 10; y: 10; width: 300
                            plainMarkdown: "[velarion.orvandel.com](https://velarion.orvandel.com/)" }
        })qml"));
    QQuickItem* label = host.find(QStringLiteral("label"));
    QTest::qWait(50);
    const QPointF nearStart = label->mapToScene(QPointF(20, label->height() / 2));
    QTest::mouseClick(&host.window(), Qt::LeftButton, Qt::NoModifier, nearStart.toPoint());
    EXPECT_EQ(host.shell().calls,
              QStringList{QStringLiteral("url https://velarion.orvandel.com/")});
}

TEST(ComponentsTest, GalleryOfEveryComponentLoadsWithoutBindingErrorsInEveryDirection) {
    for (const AppLanguage language : {AppLanguage::english, AppLanguage::arabic}) {
        SCOPED_TRACE(AppLanguages::rawValue(language).toStdString());
        const LogCapture log;
        QmlHost host({620, 640});
        host.localization().setLanguage(language);
        ASSERT_TRUE(host.loadView(QStringLiteral("Gallery")));
        const QImage frame = host.grab();
        // Warnings the QML engine prints about the module's own files (failed bindings, type
        // errors).
        const QStringList warnings =
            log.texts().filter(QRegularExpression(QStringLiteral("Velarion/Ui|qrc:/test")));
        EXPECT_TRUE(warnings.isEmpty()) << warnings.join(u'\n').toStdString();
        // The accent tile drew: its fill is the accent red somewhere in the top row.
        QQuickItem* tile = host.find(QStringLiteral("tileAccent"));
        ASSERT_TRUE(tile);
        const QColor fill = pixelAt(frame, tile, {6, 22});
        EXPECT_GT(fill.red() - fill.green(), 60) << fill.name().toStdString();
    }
}
