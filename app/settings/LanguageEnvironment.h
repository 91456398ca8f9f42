#pragma once

#include "settings/AppLanguage.h"

#include <QObject>

#include <functional>
#include <vector>

class LocalizationManager;

// Makes the application follow the interface language live: the layout direction of every
// window (right to left for Arabic), the default locale, and the texts of everything that
// registered a retranslate step. Open windows turn without being reopened, because widgets that
// did not set their own direction inherit the application's. GUI thread only.
class LanguageEnvironment final : public QObject {
    Q_OBJECT

public:
    using Retranslate = std::function<void()>;

    // Applies the current language at once.
    explicit LanguageEnvironment(LocalizationManager& localization, QObject* parent = nullptr);

    // `retranslate` runs after every later language change, once the direction and locale of
    // the new language are in place, in the order the steps were added.
    void addRetranslateStep(Retranslate retranslate);

    // Sets the application's layout direction and default locale for `language`.
    static void apply(AppLanguage language);

private:
    void onLanguageChanged(AppLanguage language);

    std::vector<Retranslate> m_steps;
};
