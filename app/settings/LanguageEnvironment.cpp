#include "settings/LanguageEnvironment.h"

#include "settings/LocalizationManager.h"

#include <QGuiApplication>
#include <QLocale>

LanguageEnvironment::LanguageEnvironment(LocalizationManager& localization, QObject* parent)
    : QObject(parent) {
    apply(localization.language());
    connect(&localization, &LocalizationManager::languageChanged, this,
            [this, &localization] { onLanguageChanged(localization.language()); });
}

void LanguageEnvironment::addRetranslateStep(Retranslate retranslate) {
    m_steps.push_back(std::move(retranslate));
}

void LanguageEnvironment::apply(AppLanguage language) {
    QLocale::setDefault(QLocale(AppLanguages::rawValue(language)));
    QGuiApplication::setLayoutDirection(AppLanguages::layoutDirection(language));
}

void LanguageEnvironment::onLanguageChanged(AppLanguage language) {
    apply(language);
    for (const Retranslate& step : m_steps) {
        step();
    }
}
