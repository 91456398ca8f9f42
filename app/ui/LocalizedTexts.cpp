#include "ui/LocalizedTexts.h"

#include "settings/AppLanguage.h"
#include "settings/LocalizationManager.h"
#include "settings/TextFormat.h"
#include "ui/InlineMarkdown.h"
#include "ui/UiEngine.h"

#include <QQmlEngine>

LocalizedTexts::LocalizedTexts(LocalizationManager& localization, QObject* parent)
    : QObject(parent)
    , m_localization(localization) {
    connect(&m_localization, &LocalizationManager::languageChanged, this, [this] {
        ++m_revision;
        Q_EMIT languageChanged();
    });
}

LocalizedTexts* LocalizedTexts::create(QQmlEngine* engine, QJSEngine*) {
    LocalizedTexts* texts = &UiEngine::of(*engine).texts();
    QJSEngine::setObjectOwnership(texts, QJSEngine::CppOwnership);
    return texts;
}

bool LocalizedTexts::rightToLeft() const {
    return AppLanguages::layoutDirection(m_localization.language()) == Qt::RightToLeft;
}

QString LocalizedTexts::languageCode() const {
    return AppLanguages::rawValue(m_localization.language());
}

QString LocalizedTexts::localized(const QString& key) const {
    return m_localization.localized(key);
}

QString LocalizedTexts::format(const QString& key, const QVariantList& arguments) const {
    return TextFormat::formatted(localized(key), arguments);
}

QString LocalizedTexts::markdown(const QString& key) const {
    return InlineMarkdown::toStyledText(localized(key));
}

QString LocalizedTexts::markdownOf(const QString& text) const {
    return InlineMarkdown::toStyledText(text);
}
