// A small program that prints the language code a process starts with, so tests can give it an
// environment of its own: l10n_probe language

#include "core/Console.h"
#include "settings/AppLanguage.h"
#include "settings/LocalizationManager.h"

#include <QCoreApplication>

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    if (arguments.size() == 2 && arguments[1] == u"language") {
        Console::printLine(AppLanguages::rawValue(LocalizationManager::shared().language()));
        return 0;
    }
    Console::printLine(QStringLiteral("usage: l10n_probe language"));
    return 2;
}
