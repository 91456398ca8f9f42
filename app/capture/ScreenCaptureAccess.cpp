#include "capture/ScreenCaptureAccess.h"

#include <QGuiApplication>

#include <memory>

const char ScreenCaptureAccess::kUnavailableReason[] =
    "Velarion needs an X11 session to capture the screen. Log out and choose an X11 (Xorg) "
    "session at the login screen.";

ScreenCaptureAccess::ScreenCaptureAccess(QString platformName, QString sessionType, QObject* parent)
    : QObject(parent)
    , m_platformName(std::move(platformName))
    , m_sessionType(std::move(sessionType))
    , m_granted(evaluate()) {}

std::unique_ptr<ScreenCaptureAccess> ScreenCaptureAccess::forThisSession(QObject* parent) {
    return std::make_unique<ScreenCaptureAccess>(
        QGuiApplication::platformName(),
        sessionTypeFrom(qEnvironmentVariable("XDG_SESSION_TYPE"),
                        qEnvironmentVariable("WAYLAND_DISPLAY")),
        parent);
}

QString ScreenCaptureAccess::sessionTypeFrom(const QString& xdgSessionType,
                                             const QString& waylandDisplay) {
    const QString declared = xdgSessionType.trimmed().toLower();
    if (!declared.isEmpty()) {
        return declared;
    }
    return waylandDisplay.trimmed().isEmpty() ? QString() : QStringLiteral("wayland");
}

void ScreenCaptureAccess::request() {
    const bool granted = evaluate();
    if (granted != m_granted) {
        m_granted = granted;
        Q_EMIT grantedChanged();
    }
}

QString ScreenCaptureAccess::unavailableReason() const {
    return m_granted ? QString() : QString::fromUtf8(kUnavailableReason);
}

bool ScreenCaptureAccess::evaluate() const {
    // A session of another kind ("x11", "tty" for startx, none under a bare X server) has no
    // Wayland clients to miss.
    return m_platformName == u"xcb" && m_sessionType != u"wayland";
}
