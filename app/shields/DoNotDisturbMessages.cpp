#include "shields/DoNotDisturbMessages.h"

#include <QStringList>

namespace DoNotDisturbMessages {
namespace {

bool containsAny(const QString& text, const QStringList& needles) {
    for (const QString& needle : needles) {
        if (text.contains(needle, Qt::CaseSensitive)) {
            return true;
        }
    }
    return false;
}

// D-Bus and polkit refusals, file permissions of the settings store, sandbox portals.
const QStringList kPermissionTexts{
    QStringLiteral("AccessDenied"),   QStringLiteral("Permission denied"),
    QStringLiteral("not allowed"),    QStringLiteral("NotAuthorized"),
    QStringLiteral("not authorized"),
};

// gsettings without the schema or key, xfconf without the channel or property, a daemon that is
// not on the bus, or no plan at all for the session.
const QStringList kNotFoundTexts{
    QStringLiteral("No such schema"),
    QStringLiteral("No such key"),
    QStringLiteral("does not exist"),
    QStringLiteral("ServiceUnknown"),
    QStringLiteral("was not provided by any .service files"),
    QStringLiteral("not running"),
    QStringLiteral("No supported notification service"),
};

}  // namespace

QString forToolText(const QString& text) {
    if (containsAny(text, kPermissionTexts)) {
        return QString::fromUtf8(kPermissionRequired);
    }
    // Before the not-found rule: the plan was refused for a reason the user can fix in place.
    if (text.contains(QLatin1String("mako has no \"do-not-disturb\" mode"))) {
        return QString::fromUtf8(kMakoModeMissing);
    }
    if (containsAny(text, kNotFoundTexts)) {
        return QString::fromUtf8(kFacilityNotFound);
    }
    return text;
}

}  // namespace DoNotDisturbMessages
