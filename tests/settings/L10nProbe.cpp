// A small program that drives the localization and login-item code in a process of its own, so
// tests can give it its own environment and privileges:
//   l10n_probe language                 prints the language code the process starts with
//   l10n_probe login <folder> on|off    moves the launch-at-login switch, prints the outcome

#include "core/Console.h"
#include "core/Preferences.h"
#include "core/UserDefaults.h"
#include "settings/AppLanguage.h"
#include "settings/LaunchAtLoginSetting.h"
#include "settings/LocalizationManager.h"
#include "settings/LoginItem.h"

#include <QCoreApplication>

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    if (arguments.size() == 2 && arguments[1] == u"language") {
        Console::printLine(AppLanguages::rawValue(LocalizationManager::shared().language()));
        return 0;
    }
    if (arguments.size() == 4 && arguments[1] == u"login") {
        UserDefaults defaults;
        Preferences::registerDefaults(defaults);
        const LoginItem item(arguments[2], {QCoreApplication::applicationFilePath()});
        LaunchAtLoginSetting setting(defaults, item);
        setting.refreshFromLoginItem();
        setting.setLaunchAtLogin(arguments[3] == u"on");
        Console::printLine(QStringLiteral("launchAtLogin=") + (setting.launchAtLogin()
                                                                   ? QStringLiteral("true")
                                                                   : QStringLiteral("false")));
        return 0;
    }
    Console::printLine(QStringLiteral("usage: l10n_probe language | login <folder> on|off"));
    return 2;
}
