#pragma once

#include <QObject>
#include <QSettings>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantMap>

#include <memory>
#include <optional>

// The application's preferences: a QSettings store plus registration defaults that live in
// memory only, shared by every instance of the process on the same file (as the process's
// registration domain), so a store made later by another service sees what was registered. A stored
// value wins over a registered one; a stored value of the wrong type (for instance "abc" where a
// number belongs) reads as the registered default, never as 0.
//
// Instances on the same file share Qt's per-process cache of it, so a value written through one
// is read by every other; but only the instance written through announces the change, so the
// application keeps one instance that every observer shares. Not thread-safe: use from the GUI
// thread.
class UserDefaults final : public QObject {
    Q_OBJECT

public:
    // The standard store: $XDG_CONFIG_HOME/orvandel/Velarion.conf.
    UserDefaults();
    // A store in the given file (tests, tools).
    explicit UserDefaults(const QString& filePath);
    ~UserDefaults() override;

    static QString standardFilePath();

    // Adds registration defaults for every instance on this file; nothing is written to the store.
    // Only this instance announces them.
    void registerDefaults(const QVariantMap& defaults);

    bool contains(const QString& key) const;
    // The stored value as read from the file (strings for scalars), or an invalid QVariant.
    QVariant storedValue(const QString& key) const;

    double doubleValue(const QString& key) const;
    bool boolValue(const QString& key) const;
    qint64 intValue(const QString& key) const;
    QString stringValue(const QString& key) const;
    QStringList stringListValue(const QString& key) const;

    // The stored value converted strictly, without falling back to a registered default.
    std::optional<double> storedDouble(const QString& key) const;
    std::optional<bool> storedBool(const QString& key) const;
    std::optional<qint64> storedInt(const QString& key) const;
    std::optional<QString> storedString(const QString& key) const;
    std::optional<QStringList> storedStringList(const QString& key) const;

    void setValue(const QString& key, const QVariant& value);
    void remove(const QString& key);
    // Writes pending changes to the file now (they are also written when the store is released).
    void sync();

    QString filePath() const;

Q_SIGNALS:
    // A write, removal or registered default touched `key`; its value may be unchanged. Emitted
    // synchronously, after the store holds the new value.
    void valueChanged(const QString& key);

private:
    QVariant registeredValue(const QString& key) const;

    std::unique_ptr<QSettings> m_settings;
};
