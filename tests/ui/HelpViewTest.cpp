#include "QmlHost.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

TEST(HelpViewTest, StepsAreNumberedPerCardAndKeepTheirBoldSpansInSpanish) {
    QmlHost host({520, 640});
    ASSERT_TRUE(host.loadView(
        QStringLiteral("HelpView"),
        {{QStringLiteral("version"), QStringLiteral("1.4")},
         {QStringLiteral("websiteTitle"), QStringLiteral("Visit velarion.orvandel.com")},
         {QStringLiteral("websiteUrl"), QUrl(QStringLiteral("https://velarion.orvandel.com/"))},
         {QStringLiteral("supportUrl"), QUrl(QStringLiteral("mailto:support@orvandel.com"))}}));
    // Every step and note is an interface text: each one changes with the language.
    const auto shownTexts = [&] {
        QStringList texts;
        for (QQuickItem* step : QmlHost::drawnBelow(host.find(QStringLiteral("helpScroller")),
                                                    QStringLiteral("stepText"))) {
            texts << textOf(step);
        }
        return texts;
    };
    const QStringList english = shownTexts();
    ASSERT_FALSE(english.isEmpty());
    host.localization().setLanguage(AppLanguage::spanish);
    const QStringList spanish = shownTexts();
    ASSERT_EQ(spanish.size(), english.size());
    for (qsizetype i = 0; i < english.size(); ++i) {
        EXPECT_NE(spanish[i], english[i]) << english[i].toStdString();
    }

    // Each card numbers its own steps from one.
    for (const char* card : {"cameraCard", "missingCameraCard", "stealthCard"}) {
        SCOPED_TRACE(card);
        QQuickItem* item = host.find(QString::fromLatin1(card));
        ASSERT_TRUE(item);
        const QList<QQuickItem*> numbers = QmlHost::drawnBelow(item, QStringLiteral("stepNumber"));
        ASSERT_FALSE(numbers.isEmpty());
        for (qsizetype i = 0; i < numbers.size(); ++i) {
            EXPECT_EQ(textOf(numbers[i]), QString::number(i + 1));
        }
        for (QQuickItem* step : QmlHost::drawnBelow(item, QStringLiteral("stepText"))) {
            EXPECT_FALSE(textOf(step).contains(QStringLiteral("**"))) << textOf(step).toStdString();
        }
    }
    const QList<QQuickItem*> firstSteps =
        QmlHost::drawnBelow(host.find(QStringLiteral("cameraCard")), QStringLiteral("stepText"));
    ASSERT_FALSE(firstSteps.isEmpty());
    EXPECT_TRUE(textOf(firstSteps.first()).contains(QStringLiteral("<b>PipeWire</b>")))
        << textOf(firstSteps.first()).toStdString();
    EXPECT_TRUE(textOf(firstSteps.first()).startsWith(QStringLiteral("Asegúrate")));
    EXPECT_EQ(host.text("versionFooter"), QStringLiteral("Velarion v1.4"));

    host.click(host.find(QStringLiteral("openCameraSetupButton")));
    EXPECT_EQ(host.shell().calls, QStringList{QStringLiteral("open camera-setup")});
}
