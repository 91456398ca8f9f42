#pragma once

#include <QByteArray>
#include <QList>

#include <utility>

// Sets process environment variables for one test and puts the previous values back after it.
class ScopedEnvironment {
public:
    ScopedEnvironment() = default;
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;
    ~ScopedEnvironment() {
        for (auto it = m_saved.crbegin(); it != m_saved.crend(); ++it) {
            if (it->second.isNull()) {
                qunsetenv(it->first.constData());
            } else {
                qputenv(it->first.constData(), it->second);
            }
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
        // A null value marks a variable that was not set at all.
        m_saved.append({name, qEnvironmentVariableIsSet(name.constData())
                                  ? qgetenv(name.constData())
                                  : QByteArray()});
    }

    QList<std::pair<QByteArray, QByteArray>> m_saved;
};
