#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// Builders for the files an update test needs: bundle folders, key pairs and hand-made archives.
namespace BundleFactory {

void writeFile(const QString& path, const QByteArray& content, bool executable = false);
QByteArray readFile(const QString& path);

// A bundle at `path` whose share/velarion/version holds `version`, with a link, a hidden file, an
// empty folder and an awkward file name among its entries. Its launcher writes
// "started <version>" to the file named by its first argument, or to <bundle>/started.
void makeBundle(const QString& path, const QByteArray& version);

// Waits until the launcher of the bundle at `path` has written that `version` started: the file
// appears empty before its line is in it.
bool waitForStart(const QString& path, const QByteArray& version);

// A key pair in `folder` as secret.key and public.key; returns the secret key's path.
QString makeKeys(const QString& folder);

// One entry of a hand-made tar archive.
struct Entry {
    enum class Kind { File, Folder, Link, HardLink, Fifo };
    Kind kind;
    QByteArray name;
    QByteArray data;  // the content of a file, the target of a link
};

// A zstd-compressed tar written entry by entry, with no checks at all.
void writeArchive(const QString& path, const QList<Entry>& entries);

}  // namespace BundleFactory
