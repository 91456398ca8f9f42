#pragma once

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>

// Opens the auxiliary windows by identifier. Each identifier has at most one window: opening it
// again raises the existing one. A window is centred on the screen the first time it is shown and
// stays where the user puts it afterwards; closing it only hides it. The registry owns the
// windows and lives on the GUI thread.
class WindowRegistry final : public QObject {
    Q_OBJECT

public:
    using Factory = std::function<QWidget*()>;
    using Translate = std::function<QString(const QString&)>;

    explicit WindowRegistry(QObject* parent = nullptr);
    ~WindowRegistry() override;

    // `titleKey` is the English title; it is passed through the translator when shown. Replacing
    // the factory of an identifier whose window exists takes effect only for a later window.
    void registerWindow(const QString& identifier, const QString& titleKey, Factory factory);

    // Creates the window on first use, then shows, raises and activates it. Returns nullptr for an
    // unknown identifier.
    QWidget* open(const QString& identifier);

    // The existing window of an identifier, or nullptr if it was never opened.
    QWidget* window(const QString& identifier) const;
    QStringList identifiers() const { return m_order; }

    void setTranslator(Translate translate);
    // Re-applies the translated titles to every existing window (after a language change).
    void retranslate();

Q_SIGNALS:
    void windowOpened(const QString& identifier);

private:
    struct Entry {
        QString titleKey;
        Factory factory;
        QPointer<QWidget> window;
    };

    QWidget* create(const QString& identifier, Entry& entry);
    QString title(const Entry& entry) const;

    QHash<QString, Entry> m_entries;
    QStringList m_order;
    Translate m_translate;
};
