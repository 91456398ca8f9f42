// Recognition's OpenMP regions run on the engine module's serial stand-ins (ocr/EngineThreading.h):
// checked on the installed Tesseract, in a real scanner process.

#include "TextImage.h"
#include "ocr/EngineThreading.h"
#include "support/TempDir.h"

#include <QProcess>
#include <QRegularExpression>
#include <QSet>

#include <gtest/gtest.h>

namespace {

// The dynamic GOMP_* symbols `library` imports.
QSet<QString> importedGompSymbols(const QString& library) {
    QProcess nm;
    nm.start(QStringLiteral("nm"),
             {QStringLiteral("-D"), QStringLiteral("--undefined-only"), library});
    EXPECT_TRUE(nm.waitForFinished(30'000) && nm.exitCode() == 0)
        << qPrintable(library) << nm.readAllStandardError().toStdString();
    QSet<QString> symbols;
    static const QRegularExpression gomp(QStringLiteral(R"(\b(GOMP_\w+))"));
    for (const QString& line : QString::fromLatin1(nm.readAllStandardOutput()).split(u'\n')) {
        if (const QRegularExpressionMatch match = gomp.match(line); match.hasMatch()) {
            symbols.insert(match.captured(1));
        }
    }
    return symbols;
}

TEST(RecognitionThreadingTest, TesseractsRegionsBindToTheStandInsWhenAScanLoadsTheModule) {
    if (!EngineThreading::kStandInsBound) {
        GTEST_SKIP() << "the address sanitizer build runs the regions through libgomp";
    }
    TempDir dir;
    QImage image = TextImage::blank(600, 120);
    TextImage::draw(image, QStringLiteral("Threads of one"), QPoint(20, 30), TextImage::sans());
    const QString input = dir.filePath(QStringLiteral("in.png"));
    ASSERT_TRUE(image.save(input));

    QProcess scan;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // The loader reports where each symbol a library uses was found.
    environment.insert(QStringLiteral("LD_DEBUG"), QStringLiteral("bindings"));
    scan.setProcessEnvironment(environment);
    scan.start(QStringLiteral(VELARION_SCAN_BINARY), {input});
    ASSERT_TRUE(scan.waitForFinished(90'000) && scan.exitCode() == 0);
    const QString bindings = QString::fromLocal8Bit(scan.readAllStandardError());

    const QSet<QString> imported = importedGompSymbols(QStringLiteral(TESSERACT_LIBRARY));
    ASSERT_FALSE(imported.isEmpty()) << "Tesseract imports no OpenMP entry point any more";
    for (const QString& symbol : imported) {
        SCOPED_TRACE(symbol.toStdString());
        const QRegularExpression binding(
            QStringLiteral(R"(binding file \S*libtesseract\S* \[\d+\] to (\S+) \[\d+\]: )"
                           R"(normal symbol `%1')")
                .arg(symbol));
        const QRegularExpressionMatch match = binding.match(bindings);
        ASSERT_TRUE(match.hasMatch());
        EXPECT_TRUE(match.captured(1).endsWith(QStringLiteral("libvelarion_ocr_tesseract.so")))
            << match.captured(1).toStdString();
    }
}

}  // namespace
