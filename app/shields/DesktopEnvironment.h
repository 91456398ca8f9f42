#pragma once

#include <QSet>
#include <QString>
#include <QStringList>

// What the shields' plans are chosen from: the desktop named by the session, the tools installed,
// the GSettings schemas installed, the running processes of this user and where GNOME Shell
// extensions live. `fromSystem()` reads the live session; tests fill the fields themselves.
//
// Queries read the file system each time they are asked, so call them off the GUI thread.
class DesktopEnvironment {
public:
    static DesktopEnvironment fromSystem();

    // Lower-case entries of XDG_CURRENT_DESKTOP ("ubuntu:GNOME" gives "ubuntu" and "gnome"), else
    // of DESKTOP_SESSION.
    QStringList desktops;
    QStringList toolDirs;
    // Folders holding *.gschema.xml files.
    QStringList schemaDirs;
    // Folders holding GNOME Shell extensions, one subfolder per extension uuid.
    QStringList extensionDirs;
    // Process names (as /proc/<pid>/comm shows them: at most 15 bytes) of this user.
    QSet<QString> runningProcesses;
    // Where mako looks for its configuration, in its own order; the first that exists is used.
    QStringList makoConfigFiles;

    bool isDesktop(const QString& name) const;
    // Empty when the tool is not installed in any of `toolDirs`.
    QString findTool(const QString& name) const;
    bool hasSettingsKey(const QString& schema, const QString& key) const;
    bool isRunning(const QString& processName) const;
    bool hasExtension(const QString& uuid) const;
    // Whether mako's configuration declares the mode (a "[mode=NAME]" section). mako accepts any
    // mode name at run time, so an undeclared one would switch nothing while reporting success.
    bool makoDeclaresMode(const QString& mode) const;

    // The text used when no desktop matched, e.g. "i3" or "an unnamed desktop".
    QString describeDesktop() const;
};
