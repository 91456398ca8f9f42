// The command-line scanner as the project's checks call it: a real process on real image files.

#include "TextImage.h"
#include "core/CommandRunner.h"
#include "support/QtPrinters.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

namespace {

CommandResult scan(const QStringList& arguments,
                   const QString& program = QStringLiteral(VELARION_SCAN_BINARY)) {
    CommandOptions options;
    options.timeoutMs = 90'000;
    return CommandRunner().run(program, arguments, options);
}

using TextImage::sans;

TEST(VelarionScanTest, PrintsOneJsonObjectPerRegionAndRedactsThemInACopy) {
    TempDir dir;
    QImage image = TextImage::blank(1000, 240);
    TextImage::draw(image, QStringLiteral("Card 4111111111111111"), QPoint(30, 40), sans());
    TextImage::draw(image, QStringLiteral("mail eva@example.net"), QPoint(30, 140), sans());
    const QString input = dir.filePath(QStringLiteral("in.png"));
    const QString output = dir.filePath(QStringLiteral("out.png"));
    ASSERT_TRUE(image.save(input));

    const CommandResult run = scan({input, QStringLiteral("--redact"), output});
    ASSERT_EQ(run.exitCode, 0) << run.standardErrorText().toStdString();
    const QStringList lines = run.standardOutputText().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2) << run.standardOutput.toStdString();
    EXPECT_TRUE(lines[0].startsWith(
        QStringLiteral(R"({"kind":"Credit Card","text":"4111111111111111","x":)")))
        << lines[0].toStdString();
    const QJsonObject second = QJsonDocument::fromJson(lines[1].toUtf8()).object();
    EXPECT_EQ(second.value(QStringLiteral("kind")).toString(), QStringLiteral("Email"));
    EXPECT_EQ(second.value(QStringLiteral("text")).toString(), QStringLiteral("eva@example.net"));
    const auto n = [&second](const char* key) {
        return second.value(QLatin1String(key)).toInt();
    };
    const QRect box(n("x"), n("y"), n("width"), n("height"));
    EXPECT_TRUE(box.isValid());

    const QImage redacted(output);
    ASSERT_FALSE(redacted.isNull());
    EXPECT_EQ(redacted.size(), image.size());
    EXPECT_EQ(redacted.pixelColor(box.center()), QColor(Qt::black));
    EXPECT_EQ(redacted.pixelColor(box.right() + 20, box.center().y()), QColor(Qt::white));
    EXPECT_EQ(redacted.pixelColor(5, 5), QColor(Qt::white));
}

TEST(VelarionScanTest, NothingFoundIsSuccessAndAnUnreadableImageIsAnError) {
    TempDir dir;
    const QString empty = dir.filePath(QStringLiteral("empty.png"));
    ASSERT_TRUE(TextImage::blank(300, 200).save(empty));
    const CommandResult nothing = scan({empty});
    EXPECT_EQ(nothing.exitCode, 0);
    EXPECT_TRUE(nothing.standardOutput.isEmpty());

    const QString garbage = dir.filePath(QStringLiteral("garbage.png"));
    {
        QFile file(garbage);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write("not a picture") > 0);
    }
    const CommandResult unreadable = scan({garbage});
    EXPECT_EQ(unreadable.exitCode, 1);
}

// A copy of the tool with no engine module beside it (nor in ../lib/velarion) cannot recognise
// anything; it once printed nothing and exited 0, the answer for a clean image.
TEST(VelarionScanTest, FailedRecognitionIsAnErrorNotACleanImage) {
    TempDir dir;
    const QString tool = dir.filePath(QStringLiteral("bin/velarion-scan"));
    ASSERT_TRUE(QDir().mkpath(dir.filePath(QStringLiteral("bin"))));
    ASSERT_TRUE(QFile::copy(QStringLiteral(VELARION_SCAN_BINARY), tool));
    QImage text = TextImage::blank(700, 120);
    TextImage::draw(text, QStringLiteral("mail eva@example.net"), QPoint(30, 40), sans());
    const QString image = dir.filePath(QStringLiteral("mail.png"));
    ASSERT_TRUE(text.save(image));

    const CommandResult run = scan({image}, tool);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.standardErrorText().contains(QStringLiteral("text recognition failed")))
        << run.standardErrorText().toStdString();
    EXPECT_TRUE(run.standardOutput.isEmpty());
}

}  // namespace
