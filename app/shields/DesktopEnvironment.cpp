#include "shields/DesktopEnvironment.h"

#include "core/TestHooks.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QXmlStreamReader>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// The kernel truncates process names to 15 bytes.
constexpr int kCommLength = 15;

QStringList splitPathList(const QByteArray& value, const QStringList& fallback) {
    QStringList parts;
    for (const QByteArray& part : value.split(':')) {
        if (!part.isEmpty()) {
            parts << QFile::decodeName(part);
        }
    }
    return parts.isEmpty() ? fallback : parts;
}

QString dataHome() {
    const QByteArray value = qgetenv("XDG_DATA_HOME");
    return value.isEmpty() ? QDir::homePath() + QStringLiteral("/.local/share")
                           : QFile::decodeName(value);
}

QStringList dataDirsWithHome() {
    QStringList dirs{dataHome()};
    dirs << splitPathList(qgetenv("XDG_DATA_DIRS"),
                          {QStringLiteral("/usr/local/share"), QStringLiteral("/usr/share")});
    return dirs;
}

QSet<QString> processesOfThisUser() {
    QSet<QString> names;
    const uid_t me = ::getuid();
    const QDir proc(QStringLiteral("/proc"));
    for (const QString& entry : proc.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool isPid = false;
        entry.toInt(&isPid);
        if (!isPid) {
            continue;
        }
        struct stat info {};
        const QByteArray path = QFile::encodeName(proc.filePath(entry));
        if (::stat(path.constData(), &info) != 0 || info.st_uid != me) {
            continue;  // gone meanwhile, or someone else's
        }
        QFile comm(proc.filePath(entry) + QStringLiteral("/comm"));
        if (comm.open(QIODevice::ReadOnly)) {
            names.insert(QString::fromUtf8(comm.readAll()).trimmed());
        }
    }
    return names;
}

// Whether the schema file declares `schema` with `key` among its keys.
bool schemaFileHasKey(const QString& path, const QString& schema, const QString& key) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    QXmlStreamReader xml(&file);
    bool inSchema = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == QLatin1String("schema")) {
            inSchema = xml.attributes().value(QLatin1String("id")) == schema;
        } else if (xml.isEndElement() && xml.name() == QLatin1String("schema")) {
            inSchema = false;
        } else if (inSchema && xml.isStartElement() && xml.name() == QLatin1String("key") &&
                   xml.attributes().value(QLatin1String("name")) == key) {
            return true;
        }
    }
    return false;
}

}  // namespace

DesktopEnvironment DesktopEnvironment::fromSystem() {
    DesktopEnvironment env;
    QByteArray desktopNames = qgetenv("XDG_CURRENT_DESKTOP");
    if (desktopNames.isEmpty()) {
        desktopNames = qgetenv("DESKTOP_SESSION");
    }
    for (const QByteArray& name : desktopNames.split(':')) {
        if (!name.trimmed().isEmpty()) {
            env.desktops << QString::fromUtf8(name.trimmed()).toLower();
        }
    }

    // A test runs the real application against small stand-in tools in a folder of its own.
    const auto testTools = TestHooks::value(TestHooks::Hook::toolsFolder);
    env.toolDirs = testTools ? QStringList{*testTools}
                             : QStringList{QStringLiteral("/usr/bin"), QStringLiteral("/bin"),
                                           QStringLiteral("/usr/local/bin")};

    const QStringList dataDirs = dataDirsWithHome();
    env.schemaDirs = splitPathList(qgetenv("GSETTINGS_SCHEMA_DIR"), {});
    for (const QString& dir : dataDirs) {
        env.schemaDirs << dir + QStringLiteral("/glib-2.0/schemas");
        env.extensionDirs << dir + QStringLiteral("/gnome-shell/extensions");
    }
    env.runningProcesses = processesOfThisUser();
    const QString home = QDir::homePath();
    QString configHome = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (configHome.isEmpty()) {
        configHome = home + QStringLiteral("/.config");
    }
    env.makoConfigFiles = {home + QStringLiteral("/.mako/config"),
                           configHome + QStringLiteral("/mako/config")};
    return env;
}

bool DesktopEnvironment::makoDeclaresMode(const QString& mode) const {
    const QString section = QStringLiteral("[mode=%1]").arg(mode);
    for (const QString& path : makoConfigFiles) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            continue;
        }
        // Only the first configuration found is read by mako.
        while (!file.atEnd()) {
            if (QString::fromUtf8(file.readLine()).trimmed() == section) {
                return true;
            }
        }
        return false;
    }
    return false;
}

bool DesktopEnvironment::isDesktop(const QString& name) const {
    return desktops.contains(name.toLower());
}

QString DesktopEnvironment::findTool(const QString& name) const {
    return QStandardPaths::findExecutable(name, toolDirs);
}

bool DesktopEnvironment::hasSettingsKey(const QString& schema, const QString& key) const {
    for (const QString& dir : schemaDirs) {
        // The conventional file name first; a schema may also live in another file of its family
        // (org.nemo.desktop is declared in org.nemo.gschema.xml).
        const QString direct = dir + QLatin1Char('/') + schema + QStringLiteral(".gschema.xml");
        if (QFileInfo::exists(direct) && schemaFileHasKey(direct, schema, key)) {
            return true;
        }
        QDirIterator files(dir, {QStringLiteral("*.gschema.xml")}, QDir::Files);
        while (files.hasNext()) {
            const QString path = files.next();
            if (path != direct &&
                schema.startsWith(files.fileInfo().completeBaseName().section(
                    QStringLiteral(".gschema"), 0, 0)) &&
                schemaFileHasKey(path, schema, key)) {
                return true;
            }
        }
    }
    return false;
}

bool DesktopEnvironment::isRunning(const QString& processName) const {
    return runningProcesses.contains(processName.left(kCommLength));
}

bool DesktopEnvironment::hasExtension(const QString& uuid) const {
    for (const QString& dir : extensionDirs) {
        if (QFileInfo::exists(dir + QLatin1Char('/') + uuid + QStringLiteral("/metadata.json"))) {
            return true;
        }
    }
    return false;
}

QString DesktopEnvironment::describeDesktop() const {
    return desktops.isEmpty() ? QStringLiteral("an unnamed desktop")
                              : QStringLiteral("\"%1\"").arg(desktops.join(QLatin1Char(':')));
}
