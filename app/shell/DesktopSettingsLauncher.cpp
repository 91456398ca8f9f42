#include "shell/DesktopSettingsLauncher.h"

#include "shell/ShellLogging.h"

#include <QProcess>

namespace {

struct DesktopSettings {
    const char* desktop;
    const char* program;
    // Pane names of that program, in the order of `kPanes`; nullptr opens the program's start page.
    const char* panes[4];
};

// The windows' pane names.
constexpr const char* kPanes[4] = {"privacy", "notifications", "login", "camera"};

// clang-format off
constexpr DesktopSettings kDesktops[] = {
    {"gnome",    "gnome-control-center",    {"privacy", "notifications", nullptr, "privacy"}},
    {"unity",    "gnome-control-center",    {"privacy", "notifications", nullptr, "privacy"}},
    {"budgie",   "budgie-control-center",   {"privacy", "notifications", nullptr, "privacy"}},
    {"cinnamon", "cinnamon-settings",       {"privacy", "notifications", "startup", nullptr}},
    {"kde",      "systemsettings",          {nullptr, "kcm_notifications", "kcm_autostart", nullptr}},
    {"xfce",     "xfce4-settings-manager",  {nullptr, nullptr, nullptr, nullptr}},
    {"mate",     "mate-control-center",     {nullptr, nullptr, nullptr, nullptr}},
    {"lxqt",     "lxqt-config",             {nullptr, nullptr, nullptr, nullptr}},
};
// clang-format on

}  // namespace

std::optional<DesktopSettingsLauncher::Command> DesktopSettingsLauncher::commandFor(
    const DesktopEnvironment& environment, const QString& pane) {
    for (const DesktopSettings& settings : kDesktops) {
        if (!environment.isDesktop(QString::fromLatin1(settings.desktop))) {
            continue;
        }
        const QString program = environment.findTool(QString::fromLatin1(settings.program));
        if (program.isEmpty()) {
            continue;
        }
        Command command{program, {}};
        for (int i = 0; i < 4; ++i) {
            if (pane == QLatin1String(kPanes[i]) && settings.panes[i]) {
                command.arguments << QString::fromLatin1(settings.panes[i]);
            }
        }
        return command;
    }
    return std::nullopt;
}

bool DesktopSettingsLauncher::open(const QString& pane) {
    const DesktopEnvironment environment = DesktopEnvironment::fromSystem();
    const std::optional<Command> command = commandFor(environment, pane);
    if (!command) {
        qCInfo(lcApp).noquote() << "No settings program found for" << environment.describeDesktop()
                                << "- nothing opened for" << pane;
        return false;
    }
    if (!QProcess::startDetached(command->program, command->arguments)) {
        qCWarning(lcApp).noquote() << "Could not start" << command->program;
        return false;
    }
    return true;
}
