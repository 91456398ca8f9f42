#include "settings/LocalizationManager.h"

#include "core/UserDefaults.h"
#include "settings/TranslationTable.h"

#include <QLocale>

#include <array>
#include <utility>

namespace {

struct Prefix {
    QLatin1StringView prefix;
    AppLanguage language;
};

// Tested in this order; the first identifier with any of these prefixes decides.
constexpr std::array<Prefix, 5> kPrefixes{{
    {QLatin1StringView("ar"), AppLanguage::arabic},
    {QLatin1StringView("zh"), AppLanguage::chinese},
    {QLatin1StringView("es"), AppLanguage::spanish},
    {QLatin1StringView("fr"), AppLanguage::french},
    {QLatin1StringView("en"), AppLanguage::english},
}};

}  // namespace

LocalizationManager& LocalizationManager::shared() {
    // Built once, thread-safely, and deliberately never destroyed: windows and services may
    // still ask for texts while static objects are torn down. Every change is synced to disk
    // at once, so nothing is lost by not running the destructor.
    static LocalizationManager* const instance = [] {
        auto* defaults = new UserDefaults();
        return new LocalizationManager(*defaults, QLocale::system().uiLanguages());
    }();
    return *instance;
}

LocalizationManager::LocalizationManager(UserDefaults& defaults,
                                         const QStringList& preferredLanguages, QObject* parent)
    : QObject(parent)
    , m_defaults(defaults) {
    const std::optional<QString> stored =
        m_defaults.storedString(QString::fromLatin1(kAppLanguageKey));
    const std::optional<AppLanguage> storedLanguage =
        stored ? AppLanguages::fromRawValue(*stored) : std::nullopt;
    m_language =
        storedLanguage ? *storedLanguage : languageForPreferredLanguages(preferredLanguages);
}

AppLanguage LocalizationManager::languageForPreferredLanguages(
    const QStringList& preferredLanguages) {
    for (const QString& identifier : preferredLanguages) {
        const QString lowered = identifier.toLower();
        for (const Prefix& prefix : kPrefixes) {
            if (lowered.startsWith(prefix.prefix)) {
                return prefix.language;
            }
        }
    }
    return AppLanguage::english;
}

void LocalizationManager::setLanguage(AppLanguage language) {
    if (language == m_language) {
        return;
    }
    m_language = language;
    Q_EMIT languageChanged();
    const QString raw = AppLanguages::rawValue(language);
    m_defaults.setValue(QString::fromLatin1(kAppLanguageKey), raw);
    m_defaults.setValue(QString::fromLatin1(kAppleLanguagesKey), QStringList{raw});
    m_defaults.sync();
}

QString LocalizationManager::localized(const QString& key) const {
    if (m_language == AppLanguage::english) {
        return key;
    }
    const QString* text = TranslationTable::instance().find(key, m_language);
    return text != nullptr ? *text : key;
}
