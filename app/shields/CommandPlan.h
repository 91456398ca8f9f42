#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// One system tool to run: an absolute path and its argument list, never a shell line.
struct PlanCommand {
    QString program;
    QStringList arguments;

    friend bool operator==(const PlanCommand&, const PlanCommand&) = default;
};

// The commands that switch one shield on a particular desktop, run in order; a command runs only
// when the one before it succeeded.
struct CommandPlan {
    QString desktop;  // which desktop or daemon the plan is for, for diagnostics
    QList<PlanCommand> commands;
    // Instead of commands: hold (or release) the freedesktop notification inhibition over the
    // session bus, which a desktop without a command-line switch (KDE Plasma) honours.
    bool inhibitsNotifications = false;
};

// The plan chosen for the running session, or why none fits: `missing` then names what would be
// needed ("gsettings not found", "settings key org.mate.background show-desktop-icons not
// installed", …).
struct PlanChoice {
    std::optional<CommandPlan> plan;
    QString missing;

    static PlanChoice of(CommandPlan plan) { return {std::move(plan), {}}; }
    static PlanChoice none(QString missing) { return {std::nullopt, std::move(missing)}; }
};
