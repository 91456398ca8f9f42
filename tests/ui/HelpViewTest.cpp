#include "QmlHost.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace {

QString textOf(QQuickItem* item) {
    return item ? item->property("text").toString() : QString();
}

}  // namespace

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

    struct Case {
        const char* card;
        QStringList numbers;
    };
    const Case cases[] = {
        {"cameraCard", {"1", "2", "3", "4", "5"}},
        {"missingCameraCard", {"1", "2", "3", "4"}},
        {"stealthCard", {"1", "2", "3", "4"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.card);
        QQuickItem* card = host.find(QString::fromLatin1(c.card));
        ASSERT_TRUE(card);
        QStringList numbers;
        for (QQuickItem* number : QmlHost::drawnBelow(card, QStringLiteral("stepNumber"))) {
            numbers << textOf(number);
        }
        EXPECT_EQ(numbers, c.numbers);
        for (QQuickItem* step : QmlHost::drawnBelow(card, QStringLiteral("stepText"))) {
            EXPECT_FALSE(textOf(step).contains(QStringLiteral("**"))) << textOf(step).toStdString();
        }
    }
    const QList<QQuickItem*> firstSteps =
        QmlHost::drawnBelow(host.find(QStringLiteral("cameraCard")), QStringLiteral("stepText"));
    ASSERT_FALSE(firstSteps.isEmpty());
    EXPECT_TRUE(textOf(firstSteps.first()).contains(QStringLiteral("<b>PipeWire</b>")))
        << textOf(firstSteps.first()).toStdString();
    EXPECT_TRUE(textOf(firstSteps.first()).startsWith(QStringLiteral("Asegúrate")));
    EXPECT_EQ(textOf(host.find(QStringLiteral("versionFooter"))), QStringLiteral("Velarion v1.4"));

    host.click(host.find(QStringLiteral("openCameraSetupButton")));
    EXPECT_EQ(host.shell().calls, QStringList{QStringLiteral("open camera-setup")});
}
