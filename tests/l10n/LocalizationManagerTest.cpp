#include "core/UserDefaults.h"
#include "settings/LocalizationManager.h"
#include "settings/TextFormat.h"

#include <QFile>
#include <QProcess>
#include <QSignalSpy>

#include "support/QtPrinters.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace {

struct Store {
    TempDir dir;
    UserDefaults defaults{dir.filePath(QStringLiteral("Velarion.conf"))};

    QString fileText() const {
        QFile file(defaults.filePath());
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }
};

AppLanguage initialLanguage(const QStringList& preferred, const QString& stored = {}) {
    Store store;
    if (!stored.isNull()) {
        store.defaults.setValue(QStringLiteral("appLanguage"), stored);
    }
    return LocalizationManager(store.defaults, preferred).language();
}

}  // namespace

TEST(LocalizationManagerTest, InitialLanguageComesFromTheFirstSupportedPreferredLanguage) {
    struct Case {
        QStringList preferred;
        AppLanguage expected;
    };
    const Case cases[] = {
        {{}, AppLanguage::english},
        {{QStringLiteral("de-DE"), QStringLiteral("it-IT")}, AppLanguage::english},
        {{QStringLiteral("en-US"), QStringLiteral("fr-FR")}, AppLanguage::english},
        {{QStringLiteral("de-DE"), QStringLiteral("fr-CA")}, AppLanguage::french},
        {{QStringLiteral("zh-Hant-TW")}, AppLanguage::chinese},
        {{QStringLiteral("zh-HK")}, AppLanguage::chinese},
        {{QStringLiteral("es-419")}, AppLanguage::spanish},
        {{QStringLiteral("EN-gb"), QStringLiteral("ar")}, AppLanguage::english},
        {{QStringLiteral("ar-EG")}, AppLanguage::arabic},
        {{QStringLiteral("C"), QStringLiteral("pt-BR"), QStringLiteral("FR")}, AppLanguage::french},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(initialLanguage(c.preferred), c.expected) << c.preferred.join(u',').toStdString();
    }
}

TEST(LocalizationManagerTest, StoredLanguageWinsOnlyWhenItIsOneOfTheFiveCodes) {
    const QStringList french{QStringLiteral("fr-FR")};
    EXPECT_EQ(initialLanguage(french, QStringLiteral("ar")), AppLanguage::arabic);
    EXPECT_EQ(initialLanguage(french, QStringLiteral("zh-Hans")), AppLanguage::chinese);
    EXPECT_EQ(initialLanguage(french, QStringLiteral("en")), AppLanguage::english);
    for (const char* invalid : {"de", "EN", "zh", "fr-FR", ""}) {
        EXPECT_EQ(initialLanguage(french, QString::fromLatin1(invalid)), AppLanguage::french)
            << invalid;
    }
}

TEST(LocalizationManagerTest, StartingUpWritesNothing) {
    Store store;
    LocalizationManager manager(store.defaults, {QStringLiteral("es-ES")});
    store.defaults.sync();
    EXPECT_EQ(manager.language(), AppLanguage::spanish);
    EXPECT_FALSE(store.defaults.contains(QStringLiteral("appLanguage")));
    EXPECT_FALSE(store.defaults.contains(QStringLiteral("AppleLanguages")));
}

TEST(LocalizationManagerTest, ChangingTheLanguageNotifiesAndPersistsBothKeys) {
    Store store;
    LocalizationManager manager(store.defaults, {});
    QSignalSpy spy(&manager, &LocalizationManager::languageChanged);

    manager.setLanguage(AppLanguage::arabic);
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.at(0).at(0).value<AppLanguage>(), AppLanguage::arabic);
    EXPECT_EQ(store.defaults.storedString(QStringLiteral("appLanguage")), QStringLiteral("ar"));
    EXPECT_EQ(store.defaults.storedStringList(QStringLiteral("AppleLanguages")),
              QStringList{QStringLiteral("ar")});
    // On disk at once, not only in the store's cache.
    EXPECT_TRUE(store.fileText().contains(QStringLiteral("appLanguage=ar")));

    manager.setLanguage(AppLanguage::english);
    EXPECT_EQ(spy.count(), 2);
    EXPECT_EQ(store.defaults.storedString(QStringLiteral("appLanguage")), QStringLiteral("en"));
    EXPECT_EQ(store.defaults.storedStringList(QStringLiteral("AppleLanguages")),
              QStringList{QStringLiteral("en")});

    // The choice is what the next run starts with.
    UserDefaults reopened(store.defaults.filePath());
    EXPECT_EQ(LocalizationManager(reopened, {QStringLiteral("fr")}).language(),
              AppLanguage::english);
}

TEST(LocalizationManagerTest, SettingTheSameLanguageNeitherNotifiesNorWrites) {
    Store store;
    LocalizationManager manager(store.defaults, {QStringLiteral("fr-FR")});
    QSignalSpy spy(&manager, &LocalizationManager::languageChanged);
    manager.setLanguage(AppLanguage::french);
    store.defaults.sync();
    EXPECT_EQ(spy.count(), 0);
    EXPECT_FALSE(store.defaults.contains(QStringLiteral("appLanguage")));
    EXPECT_FALSE(QFile::exists(store.defaults.filePath()));
}

TEST(LocalizationManagerTest, EnglishReturnsEveryKeyUnchanged) {
    Store store;
    LocalizationManager manager(store.defaults, {QStringLiteral("en")});
    EXPECT_EQ(manager.localized(QStringLiteral("Settings")), QStringLiteral("Settings"));
    EXPECT_EQ(manager.localized(QStringLiteral("Not in the table")),
              QStringLiteral("Not in the table"));
}

TEST(LocalizationManagerTest, FrenchTranslatesKnownKeysAndFallsBackToTheKey) {
    Store store;
    LocalizationManager manager(store.defaults, {QStringLiteral("fr")});
    EXPECT_EQ(manager.localized(QStringLiteral("Settings")), QStringLiteral("Réglages"));
    EXPECT_EQ(manager.localized(QStringLiteral("Not in the table")),
              QStringLiteral("Not in the table"));
    manager.setLanguage(AppLanguage::chinese);
    EXPECT_EQ(manager.localized(QStringLiteral("Settings")), QStringLiteral("设置"));
}

TEST(LocalizationManagerTest, ArabicUpdateLineKeepsTheNewVersionBeforeTheCurrentOne) {
    Store store;
    LocalizationManager manager(store.defaults, {QStringLiteral("ar")});
    const QString text = TextFormat::formatted(
        manager.localized(QStringLiteral("Velarion %@ is available. You have %@.")),
        {QStringLiteral("2.0"), QStringLiteral("1.4")});
    EXPECT_EQ(text, QStringLiteral("الإصدار 2.0 من Velarion متاح. لديك 1.4."));
    EXPECT_LT(text.indexOf(QStringLiteral("2.0")), text.indexOf(QStringLiteral("1.4")));
}

TEST(TextFormatTest, FillsPlaceholdersInOrderAndKeepsTheRest) {
    EXPECT_EQ(TextFormat::formatted(QStringLiteral("Downloading… %d%%"), {42}),
              QStringLiteral("Downloading… 42%"));
    EXPECT_EQ(TextFormat::formatted(QStringLiteral("%d of %d privacy shields are active."), {2, 4}),
              QStringLiteral("2 of 4 privacy shields are active."));
    EXPECT_EQ(TextFormat::formatted(QStringLiteral("Scan failed: %@"), {QStringLiteral("50%d")}),
              QStringLiteral("Scan failed: 50%d"));
    // Literal percent signs and a placeholder with no argument left.
    EXPECT_EQ(TextFormat::formatted(QStringLiteral("100% on %@ and %@ %"), {QStringLiteral("a")}),
              QStringLiteral("100% on a and  %"));
}

namespace {

// The language a fresh process starts in, with the given locale variables and stored choice.
QString startupLanguage(const QList<std::pair<QString, QString>>& variables,
                        const QString& storedLanguage = {}) {
    TempDir home;
    if (!storedLanguage.isEmpty()) {
        UserDefaults stored(home.filePath(QStringLiteral("orvandel/Velarion.conf")));
        stored.setValue(QStringLiteral("appLanguage"), storedLanguage);
        stored.sync();
    }
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}) {
        environment.remove(QString::fromLatin1(name));
    }
    for (const auto& [name, value] : variables) {
        environment.insert(name, value);
    }
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path());
    QProcess probe;
    probe.setProcessEnvironment(environment);
    probe.start(QStringLiteral(L10N_PROBE), {QStringLiteral("language")});
    if (!probe.waitForFinished(60'000) || probe.exitCode() != 0) {
        return QStringLiteral("probe failed: ") + QString::fromUtf8(probe.readAllStandardError());
    }
    return QString::fromUtf8(probe.readAllStandardOutput()).trimmed();
}

}  // namespace

TEST(LocalizationManagerTest, SharedInstanceStartsFromTheDesktopLanguages) {
    const QString kLanguage = QStringLiteral("LANGUAGE");
    const QString kLang = QStringLiteral("LANG");
    EXPECT_EQ(startupLanguage({{kLanguage, QStringLiteral("de_DE:fr_CA")},
                               {kLang, QStringLiteral("de_DE.UTF-8")}}),
              QStringLiteral("fr"));
    EXPECT_EQ(startupLanguage({{kLang, QStringLiteral("es_419.UTF-8")}}), QStringLiteral("es"));
    EXPECT_EQ(startupLanguage({{QStringLiteral("LC_MESSAGES"), QStringLiteral("zh_TW.UTF-8")},
                               {kLang, QStringLiteral("de_DE.UTF-8")}}),
              QStringLiteral("zh-Hans"));
    EXPECT_EQ(startupLanguage({{kLang, QStringLiteral("it_IT.UTF-8")}}), QStringLiteral("en"));
    EXPECT_EQ(startupLanguage({{kLang, QStringLiteral("fr_FR.UTF-8")}}, QStringLiteral("ar")),
              QStringLiteral("ar"));
    EXPECT_EQ(startupLanguage({{kLang, QStringLiteral("fr_FR.UTF-8")}}, QStringLiteral("de")),
              QStringLiteral("fr"));
}
