// The views name their texts as string literals; a typo there shows an untranslated text only on
// screen. This test reads the module's sources and holds every literal to the translation table.

#include "settings/TranslationTable.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace {

struct Literal {
    QString file;
    QString value;
};

// Every capture of `pattern`'s first group in the module's QML files.
std::vector<Literal> literals(const QString& pattern) {
    const QRegularExpression expression(pattern);
    std::vector<Literal> found;
    const QDir dir(QStringLiteral(VELARION_QML_DIR));
    for (const QString& name : dir.entryList({QStringLiteral("*.qml")}, QDir::Files)) {
        QFile file(dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
        const QString source = QString::fromUtf8(file.readAll());
        for (auto it = expression.globalMatch(source); it.hasNext();) {
            found.push_back({name, it.next().captured(1)});
        }
    }
    return found;
}

bool hasRow(const QString& key) {
    return TranslationTable::instance().find(key, AppLanguage::arabic) != nullptr;
}

}  // namespace

TEST(ViewSourcesTest, EveryTextAViewLooksUpHasATranslationRow) {
    const std::vector<Literal> texts =
        literals(QStringLiteral(R"re((?:L\.(?:t|f|md)\(|\bmarkdown:\s*)"((?:[^"\\]|\\.)+)")re"));
    ASSERT_FALSE(texts.empty());
    for (const Literal& text : texts) {
        QString key = text.value;
        key.replace(QStringLiteral("\\n"), QStringLiteral("\n"))
            .replace(QStringLiteral("\\\""), QStringLiteral("\""));
        EXPECT_TRUE(hasRow(key)) << text.file.toStdString() << ": \"" << key.toStdString() << '"';
    }
}
