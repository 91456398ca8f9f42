#pragma once

#include "core/Outcome.h"

#include <QString>

#include <mutex>
#include <optional>

// The freedesktop notification inhibition (org.freedesktop.Notifications Inhibit/UnInhibit) that
// KDE Plasma's notification server honours: banners stay hidden while this object holds a cookie.
// The server also drops an inhibition by itself when the connection that asked for it closes, so
// a crashed process cannot leave notifications silenced.
//
// Thread-safe: the shield calls it from its worker thread, and from the GUI thread at quit and
// destruction. Each call blocks for at most kCallTimeoutMs.
class NotificationInhibition final {
public:
    static constexpr int kCallTimeoutMs = 5'000;

    // The bus at `busAddress`, or the session bus when it is empty. Nothing is called yet.
    explicit NotificationInhibition(QString busAddress = {});
    // Releases an inhibition still held.
    ~NotificationInhibition();

    NotificationInhibition(const NotificationInhibition&) = delete;
    NotificationInhibition& operator=(const NotificationInhibition&) = delete;

    // Takes the inhibition unless one is held already. A failure carries the error text
    // (the D-Bus error name, ": " and its message).
    Outcome hold();
    // Gives the held inhibition back; nothing to give back is success.
    Outcome release();
    bool isHeld() const;

private:
    const QString m_busAddress;
    const QString m_connectionName;
    // Guards m_cookie, and keeps hold and release from interleaving.
    mutable std::mutex m_mutex;
    std::optional<quint32> m_cookie;
};
