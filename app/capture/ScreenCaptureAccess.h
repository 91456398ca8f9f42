#pragma once

#include <QObject>
#include <QString>

#include <memory>

// Whether this session lets Velarion capture the screen. X11 asks no permission, so the check is
// about the session itself: capture works only on the X11 platform of an X11 session. On a
// Wayland session even the X11 platform (XWayland) sees none of the other Wayland clients, so
// there the answer is no.
//
// The inputs are fixed for the life of the process; `request()` has nothing to ask and only
// checks again. GUI thread only.
class ScreenCaptureAccess final : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool granted READ preflight NOTIFY grantedChanged)
    Q_PROPERTY(QString unavailableReason READ unavailableReason NOTIFY grantedChanged)

public:
    // `platformName` as Qt reports it ("xcb", "wayland", "offscreen"…); `sessionType` as
    // sessionTypeFrom() gives it.
    ScreenCaptureAccess(QString platformName, QString sessionType, QObject* parent = nullptr);

    // Reads the running application's platform and the environment's session type.
    static std::unique_ptr<ScreenCaptureAccess> forThisSession(QObject* parent = nullptr);

    // The session type from XDG_SESSION_TYPE, lower-cased; when that is empty, "wayland" if a
    // Wayland display is named, else empty.
    static QString sessionTypeFrom(const QString& xdgSessionType, const QString& waylandDisplay);

    bool preflight() const { return m_granted; }
    // Re-checks; asks the user nothing.
    Q_INVOKABLE void request();

    // The English translation key the views show while capture is unavailable; empty while it is
    // available.
    QString unavailableReason() const;

    static const char kUnavailableReason[];

Q_SIGNALS:
    void grantedChanged();

private:
    bool evaluate() const;

    QString m_platformName;
    QString m_sessionType;
    bool m_granted;
};
