#include "core/UserDefaults.h"
#include "settings/LocalizationManager.h"
#include "settings/TextFormat.h"

#include <QFile>
#include <QSignalSpy>

#include "support/QtPrinters.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace {

struct Store {
    TempDir dir;
    UserDefaults defaults{dir.filePath(QStringLiteral("Velarion.conf"))};
};

}  // namespace

TEST(LocalizationManagerTest, InitialLanguageIsAValidStoredChoiceElseTheFirstSupportedPreferred) {
    struct Case {
        QStringList preferred;
        QString stored;
        AppLanguage expected;
    };
    const QStringList french{QStringLiteral("fr-FR")};
    const Case cases[] = {
        {{QStringLiteral("de-DE"), QStringLiteral("it-IT")}, {}, AppLanguage::english},
        {{QStringLiteral("de-DE"), QStringLiteral("fr-CA")}, {}, AppLanguage::french},
        {{QStringLiteral("zh-Hant-TW")}, {}, AppLanguage::chinese},
        {{QStringLiteral("EN-gb"), QStringLiteral("ar")}, {}, AppLanguage::english},
        {french, QStringLiteral("ar"), AppLanguage::arabic},
        // Only the five codes count as a stored choice.
        {french, QStringLiteral("EN"), AppLanguage::french},
        {french, QStringLiteral("fr-FR"), AppLanguage::french},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.preferred.join(u',').toStdString() + " stored " + c.stored.toStdString());
        Store store;
        if (!c.stored.isNull()) {
            store.defaults.setValue(QStringLiteral("appLanguage"), c.stored);
        }
        EXPECT_EQ(LocalizationManager(store.defaults, c.preferred).language(), c.expected);
    }
}

TEST(LocalizationManagerTest, OnlyAChangeNotifiesAndPersistsBothKeysAtOnce) {
    Store store;
    LocalizationManager manager(store.defaults, {QStringLiteral("es-ES")});
    QSignalSpy spy(&manager, &LocalizationManager::languageChanged);
    // Starting up in a language, or setting it again, neither notifies nor writes.
    manager.setLanguage(AppLanguage::spanish);
    store.defaults.sync();
    EXPECT_EQ(spy.count(), 0);
    EXPECT_FALSE(QFile::exists(store.defaults.filePath()));

    manager.setLanguage(AppLanguage::arabic);
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(store.defaults.storedStringList(QStringLiteral("AppleLanguages")),
              QStringList{QStringLiteral("ar")});
    // On disk at once, not only in the store's cache.
    QFile file(store.defaults.filePath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().contains("appLanguage=ar"));

    manager.setLanguage(AppLanguage::english);
    EXPECT_EQ(spy.count(), 2);
    EXPECT_EQ(store.defaults.storedStringList(QStringLiteral("AppleLanguages")),
              QStringList{QStringLiteral("en")});
    // The choice is what the next run starts with.
    UserDefaults reopened(store.defaults.filePath());
    EXPECT_EQ(LocalizationManager(reopened, {QStringLiteral("fr")}).language(),
              AppLanguage::english);
}

TEST(LocalizationManagerTest, LocalizedLooksUpTheCurrentLanguageAndFallsBackToTheKey) {
    Store store;
    LocalizationManager manager(store.defaults, {QStringLiteral("en")});
    const QString missing = QStringLiteral("Not in the table");
    EXPECT_EQ(manager.localized(missing), missing);
    manager.setLanguage(AppLanguage::french);
    EXPECT_EQ(manager.localized(QStringLiteral("Settings")), QStringLiteral("Réglages"));
    EXPECT_EQ(manager.localized(missing), missing);
}

TEST(TextFormatTest, FillsPlaceholdersInOrderAndKeepsTheRest) {
    EXPECT_EQ(TextFormat::formatted(QStringLiteral("Downloading… %d%%"), {42}),
              QStringLiteral("Downloading… 42%"));
    EXPECT_EQ(TextFormat::formatted(QStringLiteral("Scan failed: %@"), {QStringLiteral("50%d")}),
              QStringLiteral("Scan failed: 50%d"));
    // Literal percent signs, and a placeholder with no argument left reads as empty.
    EXPECT_EQ(TextFormat::formatted(QStringLiteral("100% on %@ and %@ %"), {QStringLiteral("a")}),
              QStringLiteral("100% on a and  %"));
}
