#pragma once

#include "settings/AppLanguage.h"

#include <QObject>
#include <QString>
#include <QStringList>

class UserDefaults;

// The interface language and the lookup of display texts. Every view passes each English text
// through localized() and re-renders on languageChanged(). Lives on the GUI thread.
class LocalizationManager final : public QObject {
    Q_OBJECT
    Q_PROPERTY(AppLanguage language READ language WRITE setLanguage NOTIFY languageChanged)

public:
    static constexpr char kAppLanguageKey[] = "appLanguage";
    static constexpr char kAppleLanguagesKey[] = "AppleLanguages";

    // The process-wide instance, created on first use over the standard preferences store and
    // the desktop's UI languages (LANGUAGE, LC_ALL, LC_MESSAGES, LANG). It lives until the
    // process ends.
    static LocalizationManager& shared();

    // An instance over the given store and preferred languages (most preferred first). The
    // initial language is a valid stored "appLanguage", else the first preferred language that
    // is supported, else English; nothing is written at start-up. `defaults` must outlive it.
    LocalizationManager(UserDefaults& defaults, const QStringList& preferredLanguages,
                        QObject* parent = nullptr);

    // The language the preferred languages pick: the first identifier whose lower-cased form
    // begins with "ar", "zh", "es", "fr" or "en" decides; English when none does.
    static AppLanguage languageForPreferredLanguages(const QStringList& preferredLanguages);

    AppLanguage language() const { return m_language; }
    // A different language is stored, announced, then persisted under "appLanguage" and
    // "AppleLanguages"; the current language again changes and writes nothing.
    void setLanguage(AppLanguage language);

    // The text to show for an English key: the key itself in English, for a key without a row,
    // or for a row without this language.
    QString localized(const QString& key) const;

Q_SIGNALS:
    void languageChanged();

private:
    UserDefaults& m_defaults;
    AppLanguage m_language = AppLanguage::english;
};
