#pragma once

#include <QString>

#include <utility>

// What an operation that can fail returns: success, or failure with the message that says why.
// [[nodiscard]]: a failure nobody looks at would be a failure reported as success. There is no
// default value, so neither outcome can be produced by accident.
class [[nodiscard]] Outcome {
public:
    static Outcome success() { return Outcome(false, {}); }
    static Outcome failure(QString error) { return Outcome(true, std::move(error)); }

    bool succeeded() const { return !m_failed; }
    bool failed() const { return m_failed; }
    // Why it failed; empty on success.
    const QString& error() const { return m_error; }

private:
    Outcome(bool failed, QString error)
        : m_failed(failed)
        , m_error(std::move(error)) {}

    bool m_failed;
    QString m_error;
};
