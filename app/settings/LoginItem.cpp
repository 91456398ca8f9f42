#include "settings/LoginItem.h"

#include "core/AppInfo.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTextStream>

namespace {

constexpr char kFileName[] = "velarion.desktop";

// Characters that force an Exec argument into double quotes.
bool needsQuoting(const QString& argument) {
    static const QString kReserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    if (argument.isEmpty()) {
        return true;
    }
    for (const QChar c : argument) {
        if (kReserved.contains(c)) {
            return true;
        }
    }
    return false;
}

QString quoteArgument(QString argument) {
    // A literal percent sign would otherwise read as a field code.
    argument.replace(QLatin1Char('%'), QStringLiteral("%%"));
    if (!needsQuoting(argument)) {
        return argument;
    }
    QString quoted = QStringLiteral("\"");
    for (const QChar c : argument) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\') {
            quoted += QLatin1Char('\\');
        }
        quoted += c;
    }
    return quoted + QLatin1Char('"');
}

// The general escapes of a desktop-entry string value, applied after the Exec quoting.
QString escapeValue(const QString& value) {
    QString escaped;
    for (const QChar c : value) {
        switch (c.unicode()) {
            case u'\\':
                escaped += QStringLiteral("\\\\");
                break;
            case u'\n':
                escaped += QStringLiteral("\\n");
                break;
            case u'\t':
                escaped += QStringLiteral("\\t");
                break;
            case u'\r':
                escaped += QStringLiteral("\\r");
                break;
            default:
                escaped += c;
        }
    }
    return escaped;
}

// True when the entry's main group switches it off.
bool isHiddenEntry(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        return false;
    }
    QTextStream stream(&file);
    bool inMainGroup = false;
    while (!stream.atEnd()) {
        const QString line = stream.readLine().trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inMainGroup = line == u"[Desktop Entry]";
            continue;
        }
        if (!inMainGroup) {
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals < 0) {
            continue;
        }
        const QString key = line.left(equals).trimmed();
        const QString value = line.mid(equals + 1).trimmed();
        if (key == u"Hidden" && value == u"true") {
            return true;
        }
        if (key == u"X-GNOME-Autostart-enabled" && value == u"false") {
            return true;
        }
    }
    return false;
}

}  // namespace

LoginItem::LoginItem(QString autostartDirectory, QStringList command)
    : m_directory(std::move(autostartDirectory))
    , m_command(std::move(command)) {}

LoginItem LoginItem::mainApp() {
    return LoginItem(standardAutostartDirectory(), {QCoreApplication::applicationFilePath()});
}

QString LoginItem::standardAutostartDirectory() {
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
        .filePath(QStringLiteral("autostart"));
}

QString LoginItem::filePath() const {
    return QDir(m_directory).filePath(QString::fromLatin1(kFileName));
}

LoginItem::Status LoginItem::status() const {
    const QFileInfo info(filePath());
    if (!info.exists() || !info.isFile()) {
        return Status::notRegistered;
    }
    return isHiddenEntry(info.filePath()) ? Status::disabled : Status::enabled;
}

QString LoginItem::execValue(const QStringList& command) {
    QStringList arguments;
    for (const QString& argument : command) {
        arguments.append(quoteArgument(argument));
    }
    return escapeValue(arguments.join(QLatin1Char(' ')));
}

QString LoginItem::desktopEntry() const {
    const QString name = QString::fromLatin1(AppInfo::kProductName);
    return QStringLiteral(
               "[Desktop Entry]\n"
               "Type=Application\n"
               "Name=%1\n"
               "Comment=Open %1 automatically when you sign in\n"
               "Exec=%2\n"
               "Terminal=false\n"
               "X-GNOME-Autostart-enabled=true\n")
        .arg(name, execValue(m_command));
}

Outcome LoginItem::registerItem() const {
    if (!QDir().mkpath(m_directory)) {
        return Outcome::failure(QStringLiteral("Could not create the folder %1").arg(m_directory));
    }
    QSaveFile file(filePath());
    if (!file.open(QIODevice::WriteOnly)) {
        return Outcome::failure(
            QStringLiteral("Could not write %1: %2").arg(filePath(), file.errorString()));
    }
    const QByteArray bytes = desktopEntry().toUtf8();
    if (file.write(bytes) != bytes.size() || !file.commit()) {
        return Outcome::failure(
            QStringLiteral("Could not write %1: %2").arg(filePath(), file.errorString()));
    }
    return Outcome::success();
}

Outcome LoginItem::unregisterItem() const {
    QFile file(filePath());
    if (!QFileInfo::exists(filePath()) && !QFileInfo(filePath()).isSymLink()) {
        return Outcome::success();
    }
    if (!file.remove()) {
        return Outcome::failure(
            QStringLiteral("Could not remove %1: %2").arg(filePath(), file.errorString()));
    }
    return Outcome::success();
}
