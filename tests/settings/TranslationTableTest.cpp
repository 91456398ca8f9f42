#include "core/AppInfo.h"
#include "settings/AppLanguage.h"
#include "settings/TranslationTable.h"

#include <QRegularExpression>
#include <QSet>

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace {

constexpr AppLanguage kTranslatedLanguages[] = {AppLanguage::arabic, AppLanguage::chinese,
                                                AppLanguage::spanish, AppLanguage::french};

// The printf placeholders a text carries, in order ("%s"/"%i"/"%f" would be typos here).
QStringList placeholders(const QString& text) {
    static const QRegularExpression pattern(QStringLiteral("%[%@dsif]"));
    QStringList found;
    for (auto it = pattern.globalMatch(text); it.hasNext();) {
        found.append(it.next().captured());
    }
    return found;
}

}  // namespace

TEST(TranslationTableTest, EveryRowIsUniqueAndItsTranslationsKeepPlaceholdersMarkersAndNames) {
    // Names and commands a translation must carry over unchanged.
    const QStringList names{QStringLiteral("Velarion"),
                            AppInfo::websiteHostName(),
                            QStringLiteral("Velarion Camera"),
                            QStringLiteral("PipeWire"),
                            QStringLiteral("Tesseract"),
                            QStringLiteral("X11"),
                            QStringLiteral("systemctl --user start pipewire wireplumber")};
    const auto& rows = TranslationTable::instance().rows();
    QSet<QString> keys;
    for (const auto& row : rows) {
        EXPECT_FALSE(keys.contains(row.key)) << "duplicate key " << row.key.toStdString();
        keys.insert(row.key);
        for (const AppLanguage language : kTranslatedLanguages) {
            const QString& text = row.translation(language);
            SCOPED_TRACE(row.key.toStdString() + " [" +
                         AppLanguages::rawValue(language).toStdString() + "]");
            ASSERT_FALSE(text.isEmpty());
            EXPECT_EQ(placeholders(text), placeholders(row.key));
            EXPECT_EQ(text.count(QStringLiteral("**")), row.key.count(QStringLiteral("**")));
            EXPECT_EQ(text.count(QLatin1Char('\n')), row.key.count(QLatin1Char('\n')));
            for (const QString& name : names) {
                EXPECT_TRUE(!row.key.contains(name) || text.contains(name)) << name.toStdString();
            }
        }
    }
}

// The texts came from another operating system; none may name its parts to a Linux user, in any
// language.
TEST(TranslationTableTest, NoTextNamesPartsOfAnotherOperatingSystem) {
    const QStringList patterns{
        QStringLiteral("\\bMac\\b"),
        QStringLiteral("(?i)macos"),
        QStringLiteral("Finder"),
        QStringLiteral("Apple"),
        QStringLiteral("ScreenCaptureKit"),
        QStringLiteral("VNRecognizeTextRequest"),
        QStringLiteral("FaceTime"),
        QStringLiteral("Touch ID|触控 ID"),
        QStringLiteral("\\bDock\\b"),
        QStringLiteral("[⌘⌃⌥⇧ⓘ]"),
        // "System Settings" and "Login Items" as the other system's translations call them.
        QStringLiteral(
            "System Settings|Ajustes del Sistema|Réglages Système|系统设置|إعدادات النظام"),
        QStringLiteral(
            "Login Items|Ítems de inicio|Ouverture et extensions|登录项|عناصر تسجيل الدخول"),
    };
    for (const QString& pattern : patterns) {
        const QRegularExpression untrue(pattern);
        ASSERT_TRUE(untrue.isValid()) << pattern.toStdString();
        for (const auto& row : TranslationTable::instance().rows()) {
            QStringList texts{row.key};
            for (const AppLanguage language : kTranslatedLanguages) {
                texts.append(row.translation(language));
            }
            for (const QString& text : texts) {
                EXPECT_FALSE(untrue.match(text).hasMatch())
                    << pattern.toStdString() << " in " << text.toStdString();
            }
        }
    }
}
