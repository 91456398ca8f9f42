#include "settings/AppLanguage.h"

namespace AppLanguages {

QString rawValue(AppLanguage language) {
    switch (language) {
        case AppLanguage::english:
            return QStringLiteral("en");
        case AppLanguage::arabic:
            return QStringLiteral("ar");
        case AppLanguage::chinese:
            return QStringLiteral("zh-Hans");
        case AppLanguage::spanish:
            return QStringLiteral("es");
        case AppLanguage::french:
            return QStringLiteral("fr");
    }
    return QStringLiteral("en");
}

std::optional<AppLanguage> fromRawValue(const QString& rawValue) {
    for (const AppLanguage language : kAllCases) {
        if (AppLanguages::rawValue(language) == rawValue) {
            return language;
        }
    }
    return std::nullopt;
}

QString displayName(AppLanguage language) {
    switch (language) {
        case AppLanguage::english:
            return QStringLiteral("English");
        case AppLanguage::arabic:
            return QStringLiteral("العربية");
        case AppLanguage::chinese:
            return QStringLiteral("中文");
        case AppLanguage::spanish:
            return QStringLiteral("Español");
        case AppLanguage::french:
            return QStringLiteral("Français");
    }
    return QStringLiteral("English");
}

Qt::LayoutDirection layoutDirection(AppLanguage language) {
    return language == AppLanguage::arabic ? Qt::RightToLeft : Qt::LeftToRight;
}

}  // namespace AppLanguages
