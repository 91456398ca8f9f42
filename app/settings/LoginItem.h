#pragma once

#include "core/Outcome.h"

#include <QString>
#include <QStringList>

// The application's own login item: an XDG autostart entry that the session starts at sign-in.
// It is enabled while the entry exists and is not hidden; the user may remove or hide it in the
// desktop's settings at any time, so the status is read from disk on every call.
class LoginItem final {
public:
    enum class Status {
        notRegistered,  // no entry
        enabled,        // the session will start the application
        disabled,       // an entry the user switched off (Hidden=true or GNOME's own switch)
    };

    // The entry `velarion.desktop` in `autostartDirectory`, starting `command` (program first).
    LoginItem(QString autostartDirectory, QStringList command);

    // $XDG_CONFIG_HOME/autostart, running this executable.
    static LoginItem mainApp();
    static QString standardAutostartDirectory();

    Status status() const;

    // Writes the entry atomically (replacing a hidden one).
    Outcome registerItem() const;
    // Removes the entry; an entry already gone is success.
    Outcome unregisterItem() const;

    QString filePath() const;
    // The entry's full text.
    QString desktopEntry() const;
    // The value of the Exec key for `command`, quoted and escaped for desktop entries.
    static QString execValue(const QStringList& command);

private:
    QString m_directory;
    QStringList m_command;
};
