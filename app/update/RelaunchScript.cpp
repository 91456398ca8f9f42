#include "update/RelaunchScript.h"

#include "update/Bundle.h"

#include <QDir>

namespace RelaunchScript {

QString shellQuoted(const QString& value) {
    QString quoted = value;
    quoted.replace(QLatin1Char('\''), QStringLiteral("'\\''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

QString text(qint64 processId, const QString& staged, const QString& target) {
    const QString launcher = QDir(target).filePath(QString::fromLatin1(Bundle::kLauncher));
    // The new copy starts in a session of its own, so it outlives this script and the terminal.
    return QStringLiteral("#!/bin/sh\nwhile /bin/kill -0 ") + QString::number(processId) +
           QStringLiteral(" 2>/dev/null; do /bin/sleep 0.3; done\n/bin/rm -rf ") +
           shellQuoted(target) + QStringLiteral("\n/bin/mv ") + shellQuoted(staged) +
           QLatin1Char(' ') + shellQuoted(target) + QStringLiteral("\n/usr/bin/setsid -f ") +
           shellQuoted(launcher) + QStringLiteral(" </dev/null >/dev/null 2>&1");
}

}  // namespace RelaunchScript
