#pragma once

#include <QString>

#include <optional>
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

// The same for an operation that produces a value: the value, or failure with its message. The
// value exists exactly when the operation succeeded.
template <typename T>
class [[nodiscard]] OutcomeOf {
public:
    static OutcomeOf success(T value) { return OutcomeOf(std::move(value), {}); }
    static OutcomeOf failure(QString error) { return OutcomeOf(std::nullopt, std::move(error)); }

    bool succeeded() const { return m_value.has_value(); }
    bool failed() const { return !m_value.has_value(); }
    // Only after success.
    const T& value() const { return *m_value; }
    // Why it failed; empty on success.
    const QString& error() const { return m_error; }

private:
    OutcomeOf(std::optional<T> value, QString error)
        : m_value(std::move(value))
        , m_error(std::move(error)) {}

    std::optional<T> m_value;
    QString m_error;
};
