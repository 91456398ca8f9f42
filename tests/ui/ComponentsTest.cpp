#include "QmlHost.h"

#include <QTest>

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

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
