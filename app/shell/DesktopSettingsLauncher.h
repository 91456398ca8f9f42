#pragma once

#include "shields/DesktopEnvironment.h"

#include <QString>
#include <QStringList>

#include <optional>

// Opens the running desktop's own settings program at a pane named the way the windows name them
// ("privacy", "notifications", "login", "camera"). The program is found by absolute path among the
// installed tools of the desktop the session names; a desktop without one opens nothing and says
// so in the log.
class DesktopSettingsLauncher {
public:
    struct Command {
        QString program;  // absolute path
        QStringList arguments;
        bool operator==(const Command&) const = default;
    };

    // The command for `pane` on `environment`'s desktop, or nothing when it has no settings
    // program installed.
    static std::optional<Command> commandFor(const DesktopEnvironment& environment,
                                             const QString& pane);

    // Starts the command detached; false (with a log line) when there is none or it cannot start.
    static bool open(const QString& pane);
};
