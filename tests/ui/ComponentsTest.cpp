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

bool isGrey(const QColor& c, int tolerance = 6) {
    return std::abs(c.red() - c.green()) <= tolerance &&
           std::abs(c.green() - c.blue()) <= tolerance;
}

}  // namespace

TEST(ComponentsTest, GlassCardWithAClearTintDrawsNoTintLayer) {
    QmlHost host;
    ASSERT_TRUE(host.load(R"qml(
        import QtQuick
        import Velarion.Ui
        Item {
            GlassCard { objectName: "clear"; x: 30; y: 30; width: 140; height: 90
                        material: "transparent"; strokeOpacity: 0 }
            GlassCard { objectName: "tinted"; x: 220; y: 30; width: 140; height: 90
                        material: "transparent"; strokeOpacity: 0; tint: "#ff0000" }
        })qml"));
    QQuickItem* clear = host.find(QStringLiteral("clear"));
    QQuickItem* tinted = host.find(QStringLiteral("tinted"));
    const QImage frame = host.grab();

    QQuickItem* clearTint = clear->findChild<QQuickItem*>(QStringLiteral("tintLayer"));
    QQuickItem* tintedTint = tinted->findChild<QQuickItem*>(QStringLiteral("tintLayer"));
    ASSERT_TRUE(clearTint && tintedTint);
    EXPECT_FALSE(clearTint->isVisible());
    EXPECT_TRUE(tintedTint->isVisible());
    const QColor clearCentre = pixelAt(frame, clear, {70, 45});
    const QColor tintedCentre = pixelAt(frame, tinted, {70, 45});
    EXPECT_TRUE(isGrey(clearCentre)) << clearCentre.name().toStdString();
    // A tint shows as a faint wash of its colour (a tenth of its opacity).
    EXPECT_GT(tintedCentre.red() - tintedCentre.green(), 10) << tintedCentre.name().toStdString();
    EXPECT_LT(tintedCentre.red() - tintedCentre.green(), 60) << tintedCentre.name().toStdString();
}

TEST(ComponentsTest, DimmedIconTileIgnoresItsTintForFillAndShadow) {
    QmlHost host;
    ASSERT_TRUE(host.load(R"qml(
        import QtQuick
        import Velarion.Ui
        Item {
            IconTile { objectName: "lit"; x: 40; y: 40; size: 60; tint: "#ff0000"; systemName: "timer" }
            IconTile { objectName: "dimmed"; x: 200; y: 40; size: 60; tint: "#ff0000"
                       systemName: "timer"; dimmed: true }
        })qml"));
    QQuickItem* lit = host.find(QStringLiteral("lit"));
    QQuickItem* dimmed = host.find(QStringLiteral("dimmed"));
    const QImage frame = host.grab();

    // The fill beside the symbol, and the shadow just below the tile's bottom edge.
    const QPointF fill(10, 30);
    const QPointF shadow(30, 62);
    EXPECT_GT(pixelAt(frame, lit, fill).red() - pixelAt(frame, lit, fill).green(), 100);
    EXPECT_TRUE(isGrey(pixelAt(frame, dimmed, fill), 10))
        << pixelAt(frame, dimmed, fill).name().toStdString();
    const QColor litShadow = pixelAt(frame, lit, shadow);
    const QColor dimmedShadow = pixelAt(frame, dimmed, shadow);
    EXPECT_GT(litShadow.red() - litShadow.green(), 8) << litShadow.name().toStdString();
    EXPECT_LT(dimmedShadow.lightness(), 250) << "the dimmed tile casts a shadow";
    EXPECT_TRUE(isGrey(dimmedShadow)) << dimmedShadow.name().toStdString();
}

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

TEST(ComponentsTest, ChipsWrapAndMirrorWhenTheLanguageTurnsRightToLeft) {
    QmlHost host;
    ASSERT_TRUE(host.load(R"qml(
        import QtQuick
        import Velarion.Ui
        Item {
            FlowChips { objectName: "chips"; x: 10; y: 10; width: 220
                        items: ["Email", "Credit Card", "Phone Number", "SSN",
                                "A chip far wider than the whole row it sits in"] }
        })qml"));
    QQuickItem* chips = host.find(QStringLiteral("chips"));
    ASSERT_TRUE(chips);
    QTest::qWait(50);
    QList<QQuickItem*> items;
    for (QQuickItem* child : chips->childItems()) {
        if (child->objectName() == QLatin1String("chip")) {
            items << child;
        }
    }
    ASSERT_EQ(items.size(), 5);
    EXPECT_EQ(items[0]->x(), 0);
    EXPECT_EQ(items[0]->y(), items[1]->y());
    EXPECT_GT(items[3]->y(), items[0]->y()) << "four chips do not fit on one 220-pixel line";
    // A chip wider than the row stands alone on its own line and overflows.
    EXPECT_GT(items[4]->width(), chips->width());
    EXPECT_GT(items[4]->y(), items[3]->y());
    EXPECT_EQ(items[4]->x(), 0);
    const qreal gap = items[1]->x() - (items[0]->x() + items[0]->width());
    EXPECT_EQ(gap, 8);

    host.localization().setLanguage(AppLanguage::arabic);
    QTest::qWait(50);
    EXPECT_EQ(items[0]->x() + items[0]->width(), chips->width()) << "the first chip starts right";
    EXPECT_LT(items[1]->x(), items[0]->x());
}

TEST(ComponentsTest, TextsAndMirroringFollowTheLanguageWithoutReloading) {
    QmlHost host;
    QQuickItem* root = host.load(R"qml(
        import QtQuick
        import Velarion.Ui
        Item {
            LayoutMirroring.enabled: L.rightToLeft
            LayoutMirroring.childrenInherit: true
            Text { objectName: "title"; text: L.t("Settings") }
            Text { objectName: "count"; text: L.f("%d active", [3]) }
            Text { objectName: "bold"; text: L.md("Your screen is broadcasting to the **Velarion** camera.") }
            Item { objectName: "leading"; width: 10; height: 10; anchors.left: parent.left }
        })qml");
    ASSERT_TRUE(root);
    auto text = [&](const char* name) {
        return host.find(QString::fromLatin1(name))->property("text").toString();
    };
    EXPECT_EQ(text("title"), QStringLiteral("Settings"));
    EXPECT_EQ(text("count"), QStringLiteral("3 active"));
    EXPECT_TRUE(text("bold").contains(QStringLiteral("<b>Velarion</b>")));
    EXPECT_EQ(host.find(QStringLiteral("leading"))->x(), 0);

    host.localization().setLanguage(AppLanguage::french);
    EXPECT_EQ(text("title"), QStringLiteral("Réglages"));
    EXPECT_TRUE(text("count").startsWith(QStringLiteral("3 ")));
    EXPECT_NE(text("count"), QStringLiteral("3 active"));

    host.localization().setLanguage(AppLanguage::arabic);
    EXPECT_EQ(text("title"), QStringLiteral("الإعدادات"));
    EXPECT_EQ(host.find(QStringLiteral("leading"))->x(), root->width() - 10)
        << "anchored to the leading edge, which is the right in Arabic";
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

TEST(ComponentsTest, ExpandingPanelOpensToItsContentAndClosesToNothing) {
    QmlHost host;
    QQuickItem* root = host.load(R"qml(
        import QtQuick
        import Velarion.Ui
        Item {
            property bool open: false
            ExpandingPanel {
                objectName: "panel"; width: 200
                expanded: parent.open
                Rectangle { width: 200; height: 80; color: "red" }
            }
        })qml");
    ASSERT_TRUE(root);
    QQuickItem* panel = host.find(QStringLiteral("panel"));
    EXPECT_EQ(panel->height(), 0);
    EXPECT_FALSE(panel->isVisible());
    root->setProperty("open", true);
    QTRY_COMPARE_WITH_TIMEOUT(qRound(panel->height()), 80, 3000);
    EXPECT_TRUE(panel->isVisible());
    root->setProperty("open", false);
    QTRY_COMPARE_WITH_TIMEOUT(panel->isVisible(), false, 3000);
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
