#pragma once

#include <QException>
#include <QString>

// The failure a capture operation throws to its caller: the display server could not be reached,
// a stream could not be created or started, or a running stream died. `description()` is the
// text the callers print and report.
class CaptureError : public QException {
public:
    explicit CaptureError(QString description)
        : m_description(std::move(description))
        , m_what(m_description.toUtf8()) {}

    const QString& description() const { return m_description; }
    const char* what() const noexcept override { return m_what.constData(); }

    // QFuture carries exceptions by cloning them; these keep the type across threads.
    void raise() const override { throw *this; }
    CaptureError* clone() const override { return new CaptureError(*this); }

private:
    QString m_description;
    QByteArray m_what;
};
