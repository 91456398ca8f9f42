#include "core/UserDefaults.h"

#include <QDir>
#include <QHash>
#include <QLocale>
#include <QStandardPaths>

#include <cmath>
#include <mutex>

namespace {

// The INI store keeps scalars as text, so every strict conversion accepts either the typed value
// (written in this run) or its textual form (read back from the file).

std::optional<double> toDouble(const QVariant& value) {
    switch (value.typeId()) {
        case QMetaType::Double:
        case QMetaType::Float:
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
            return value.toDouble();
        case QMetaType::QString:
        case QMetaType::QByteArray: {
            bool ok = false;
            const double parsed = QLocale::c().toDouble(value.toString().trimmed(), &ok);
            if (ok && std::isfinite(parsed)) {
                return parsed;
            }
            return std::nullopt;
        }
        default:
            return std::nullopt;
    }
}

std::optional<qint64> toInt(const QVariant& value) {
    switch (value.typeId()) {
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
            return value.toLongLong();
        case QMetaType::ULongLong: {
            bool ok = false;
            const qint64 v = value.toLongLong(&ok);
            return ok ? std::optional<qint64>(v) : std::nullopt;
        }
        case QMetaType::QString:
        case QMetaType::QByteArray: {
            bool ok = false;
            const qint64 parsed = value.toString().trimmed().toLongLong(&ok, 10);
            return ok ? std::optional<qint64>(parsed) : std::nullopt;
        }
        default:
            return std::nullopt;
    }
}

std::optional<bool> toBool(const QVariant& value) {
    switch (value.typeId()) {
        case QMetaType::Bool:
            return value.toBool();
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
            return value.toLongLong() != 0;
        case QMetaType::QString:
        case QMetaType::QByteArray: {
            const QString text = value.toString().trimmed().toLower();
            if (text == u"true" || text == u"1" || text == u"yes") {
                return true;
            }
            if (text == u"false" || text == u"0" || text == u"no") {
                return false;
            }
            return std::nullopt;
        }
        default:
            return std::nullopt;
    }
}

std::optional<QString> toText(const QVariant& value) {
    switch (value.typeId()) {
        case QMetaType::QString:
        case QMetaType::QByteArray:
            return value.toString();
        default:
            return std::nullopt;
    }
}

std::optional<QStringList> toTextList(const QVariant& value) {
    switch (value.typeId()) {
        case QMetaType::QStringList:
            return value.toStringList();
        case QMetaType::QVariantList: {
            QStringList list;
            for (const QVariant& item : value.toList()) {
                const auto text = toText(item);
                if (!text) {
                    return std::nullopt;
                }
                list.append(*text);
            }
            return list;
        }
        // The INI format reads a one-element list back as a plain string.
        case QMetaType::QString:
            return QStringList{value.toString()};
        default:
            return std::nullopt;
    }
}

// Registration defaults by store file, for the whole process. Guarded because the shared
// localization store may be made on whichever thread first asks for a text.
class RegistrationDomain {
public:
    void add(const QString& file, const QVariantMap& defaults) {
        std::lock_guard lock(m_mutex);
        QVariantMap& registered = m_byFile[file];
        for (auto it = defaults.cbegin(); it != defaults.cend(); ++it) {
            registered.insert(it.key(), it.value());
        }
    }
    QVariant value(const QString& file, const QString& key) const {
        std::lock_guard lock(m_mutex);
        return m_byFile.value(file).value(key);
    }

private:
    mutable std::mutex m_mutex;  // guards m_byFile
    QHash<QString, QVariantMap> m_byFile;
};

RegistrationDomain& registrationDomain() {
    static RegistrationDomain domain;
    return domain;
}

template <typename T, typename Convert>
T lookUp(const QVariant& stored, const QVariant& registered, Convert convert) {
    if (auto value = convert(stored)) {
        return *value;
    }
    if (auto value = convert(registered)) {
        return *value;
    }
    return T{};
}

}  // namespace

UserDefaults::UserDefaults()
    : UserDefaults(standardFilePath()) {}

UserDefaults::UserDefaults(const QString& filePath)
    : m_settings(std::make_unique<QSettings>(filePath, QSettings::IniFormat)) {}

UserDefaults::~UserDefaults() = default;

QString UserDefaults::standardFilePath() {
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
        .filePath(QStringLiteral("orvandel/Velarion.conf"));
}

void UserDefaults::registerDefaults(const QVariantMap& defaults) {
    registrationDomain().add(filePath(), defaults);
    for (auto it = defaults.cbegin(); it != defaults.cend(); ++it) {
        Q_EMIT valueChanged(it.key());
    }
}

bool UserDefaults::contains(const QString& key) const {
    return m_settings->contains(key);
}

QVariant UserDefaults::storedValue(const QString& key) const {
    return m_settings->value(key);
}

QVariant UserDefaults::registeredValue(const QString& key) const {
    return registrationDomain().value(filePath(), key);
}

double UserDefaults::doubleValue(const QString& key) const {
    return lookUp<double>(storedValue(key), registeredValue(key), toDouble);
}

bool UserDefaults::boolValue(const QString& key) const {
    return lookUp<bool>(storedValue(key), registeredValue(key), toBool);
}

qint64 UserDefaults::intValue(const QString& key) const {
    return lookUp<qint64>(storedValue(key), registeredValue(key), toInt);
}

QString UserDefaults::stringValue(const QString& key) const {
    return lookUp<QString>(storedValue(key), registeredValue(key), toText);
}

QStringList UserDefaults::stringListValue(const QString& key) const {
    return lookUp<QStringList>(storedValue(key), registeredValue(key), toTextList);
}

std::optional<double> UserDefaults::storedDouble(const QString& key) const {
    return toDouble(storedValue(key));
}

std::optional<bool> UserDefaults::storedBool(const QString& key) const {
    return toBool(storedValue(key));
}

std::optional<qint64> UserDefaults::storedInt(const QString& key) const {
    return toInt(storedValue(key));
}

std::optional<QString> UserDefaults::storedString(const QString& key) const {
    return toText(storedValue(key));
}

std::optional<QStringList> UserDefaults::storedStringList(const QString& key) const {
    return toTextList(storedValue(key));
}

void UserDefaults::setValue(const QString& key, const QVariant& value) {
    m_settings->setValue(key, value);
    Q_EMIT valueChanged(key);
}

void UserDefaults::remove(const QString& key) {
    m_settings->remove(key);
    Q_EMIT valueChanged(key);
}

void UserDefaults::sync() {
    m_settings->sync();
}

QString UserDefaults::filePath() const {
    return m_settings->fileName();
}
