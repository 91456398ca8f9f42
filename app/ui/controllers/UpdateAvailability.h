#pragma once

#include <QObject>
#include <QString>

class UpdateChecker;

// Whether the update checker knows of a newer version, and which, as properties a view binds to
// (the update row of the popover and the sidebar's update button). GUI thread only; the checker
// must outlive this object.
class UpdateAvailability final : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool isAvailable READ isAvailable NOTIFY changed)
    Q_PROPERTY(QString version READ version NOTIFY changed)

public:
    explicit UpdateAvailability(UpdateChecker& checker, QObject* parent = nullptr);

    bool isAvailable() const;
    // The newer version while one is available, else empty.
    QString version() const;

Q_SIGNALS:
    void changed();

private:
    UpdateChecker& m_checker;
};
