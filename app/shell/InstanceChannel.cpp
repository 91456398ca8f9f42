#include "shell/InstanceChannel.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <sys/stat.h>
#include <unistd.h>

namespace InstanceChannel {
namespace {

// A folder that is ours alone: created 0700 when missing, refused when it exists with another
// owner or with access for others (someone could otherwise put a socket of theirs in our place).
bool isPrivateFolder(const QString& path) {
    const QByteArray native = QFile::encodeName(path);
    if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST) {
        return false;
    }
    struct stat info {};
    return ::lstat(native.constData(), &info) == 0 && S_ISDIR(info.st_mode) &&
           info.st_uid == ::getuid() && (info.st_mode & 077) == 0;
}

QString displayTag() {
    QString display = qEnvironmentVariable("DISPLAY");
    display.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9._-]")), QStringLiteral("_"));
    return display.isEmpty() ? QStringLiteral("none") : display;
}

}  // namespace

QString socketPath() {
    QString folder = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) {
        folder =
            QDir::tempPath() + QStringLiteral("/velarion-runtime-") + QString::number(::getuid());
        if (!isPrivateFolder(folder)) {
            return {};
        }
    }
    return folder + QStringLiteral("/velarion-") + displayTag() + QStringLiteral(".socket");
}

QString formatStatus(const QVariantMap& properties) {
    static const char* const kOrder[][2] = {{"PresentationMode", "presentation-mode"},
                                            {"DesktopShield", "desktop-shield"},
                                            {"NotificationGuard", "notification-guard"},
                                            {"BroadcastCamera", "broadcast-camera"},
                                            {"PrivacyMask", "privacy-mask"}};
    QString text;
    for (const auto& [property, label] : kOrder) {
        const QVariant value = properties.value(QString::fromLatin1(property));
        text += QString::fromLatin1(label) + QStringLiteral(": ") +
                (!value.isValid() ? QStringLiteral("unknown")
                 : value.toBool() ? QStringLiteral("on")
                                  : QStringLiteral("off")) +
                QLatin1Char('\n');
    }
    return text;
}

}  // namespace InstanceChannel
