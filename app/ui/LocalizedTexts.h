#pragma once

#include <QtQml/qqmlregistration.h>
#include <QObject>
#include <QString>
#include <QVariantList>

class LocalizationManager;
class QJSEngine;
class QQmlEngine;

// The interface texts as the views see them (the `Texts` singleton of the QML module). Every
// lookup goes through LocalizationManager with the English text as key. `revision` changes with
// the language: the module's `L` helpers read it, so every binding that shows a text is
// re-evaluated in place when the language changes instead of the view being reloaded. GUI thread.
class LocalizedTexts final : public QObject {
    Q_OBJECT
    QML_NAMED_ELEMENT(Texts)
    QML_SINGLETON
    Q_PROPERTY(int revision READ revision NOTIFY languageChanged)
    Q_PROPERTY(bool rightToLeft READ rightToLeft NOTIFY languageChanged)
    Q_PROPERTY(QString languageCode READ languageCode NOTIFY languageChanged)

public:
    explicit LocalizedTexts(LocalizationManager& localization, QObject* parent = nullptr);

    // The instance of the engine's UiEngine; QML creates no other.
    static LocalizedTexts* create(QQmlEngine* engine, QJSEngine* scriptEngine);

    int revision() const { return m_revision; }
    bool rightToLeft() const;
    QString languageCode() const;

    Q_INVOKABLE QString localized(const QString& key) const;
    // Looked up, then "%@"/"%d" replaced by `arguments` in order.
    Q_INVOKABLE QString format(const QString& key, const QVariantList& arguments) const;
    // Looked up, then inline Markdown turned into styled text.
    Q_INVOKABLE QString markdown(const QString& key) const;
    // Inline Markdown of a text that is not an interface text (release notes from the feed).
    Q_INVOKABLE QString markdownOf(const QString& text) const;

Q_SIGNALS:
    void languageChanged();

private:
    LocalizationManager& m_localization;
    int m_revision = 0;
};
