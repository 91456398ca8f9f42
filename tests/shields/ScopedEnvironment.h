#pragma once

#include <QByteArray>
#include <QList>

#include <optional>
#include <utility>

// Sets process environment variables for one test and puts the previous values back after it.
class ScopedEnvironment {
public:
    ScopedEnvironment() = default;
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;
    ~ScopedEnvironment() {
        for (auto it = m_saved.crbegin(); it != m_saved.crend(); ++it) {
            it->second ? qputenv(it->first.constData(), *it->second)
                       : qunsetenv(it->first.constData());
        }
    }

    void set(const QByteArray& name, const QByteArray& value) {
        save(name);
        qputenv(name.constData(), value);
    }
    void unset(const QByteArray& name) {
        save(name);
        qunsetenv(name.constData());
    }

private:
    void save(const QByteArray& name) {
        m_saved.append({name, qEnvironmentVariableIsSet(name.constData())
                                  ? std::optional(qgetenv(name.constData()))
                                  : std::nullopt});
    }

    QList<std::pair<QByteArray, std::optional<QByteArray>>> m_saved;
};
