#pragma once

#include <QByteArray>
#include <QFile>
#include <QProcessEnvironment>
#include <QStandardPaths>

#include <initializer_list>
#include <utility>
#include <vector>

// Gives the variables `names` of this process their values in `values` (unset where it has none)
// for the object's life, then puts back what they were.
class ScopedEnvironment {
public:
    ScopedEnvironment(const QProcessEnvironment& values, std::initializer_list<const char*> names) {
        for (const char* name : names) {
            m_saved.emplace_back(name, qgetenv(name));
            const QString key = QString::fromLatin1(name);
            values.contains(key) ? qputenv(name, values.value(key).toUtf8()) : qunsetenv(name);
        }
    }
    ~ScopedEnvironment() {
        for (const auto& [name, value] : m_saved) {
            value.isNull() ? qunsetenv(name) : qputenv(name, value);
        }
    }

private:
    std::vector<std::pair<const char*, QByteArray>> m_saved;
};

// A copy of sleep in `folder` named like the camera daemon: its path, empty if it failed.
inline QString sleepNamedLikeTheDaemon(const QString& folder) {
    const QString copy = folder + QStringLiteral("/velarion-camera-extension");
    if (!QFile::copy(QStandardPaths::findExecutable(QStringLiteral("sleep")), copy)) {
        return {};
    }
    QFile(copy).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return copy;
}
