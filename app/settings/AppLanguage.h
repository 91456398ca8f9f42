#pragma once

#include <QString>
#include <Qt>

#include <array>
#include <optional>

// The five interface languages, in the order the language picker lists them. Equality follows
// the raw value (the language code), which is what gets persisted.
enum class AppLanguage {
    english,
    arabic,
    chinese,
    spanish,
    french,
};

namespace AppLanguages {

inline constexpr std::array<AppLanguage, 5> kAllCases{
    AppLanguage::english, AppLanguage::arabic, AppLanguage::chinese,
    AppLanguage::spanish, AppLanguage::french,
};

// The language code: "en", "ar", "zh-Hans", "es", "fr".
QString rawValue(AppLanguage language);

// Accepts exactly the five raw values (case-sensitive, whole string); anything else is no language.
std::optional<AppLanguage> fromRawValue(const QString& rawValue);

// The language's own name for itself; never translated.
QString displayName(AppLanguage language);

Qt::LayoutDirection layoutDirection(AppLanguage language);

}  // namespace AppLanguages
