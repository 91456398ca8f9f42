#include "BundleFactory.h"

#include "update/signing/BundleSigner.h"

#include "support/WaitFor.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <archive.h>
#include <archive_entry.h>

#include <memory>

#include <gtest/gtest.h>

namespace BundleFactory {

void writeFile(const QString& path, const QByteArray& content, bool executable) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << qPrintable(path);
    file.write(content);
    file.close();
    auto permissions = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther;
    if (executable) {
        permissions |= QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther;
    }
    file.setPermissions(permissions);
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void makeBundle(const QString& path, const QByteArray& version) {
    writeFile(path + QStringLiteral("/bin/velarion"),
              "#!/bin/sh\nout=\"${1:-$(dirname \"$0\")/../started}\"\necho \"started " + version +
                  "\" > \"$out\"\n",
              /*executable=*/true);
    writeFile(path + QStringLiteral("/lib/libvelarion.so.1"), "library " + version);
    QFile::link(QStringLiteral("libvelarion.so.1"), path + QStringLiteral("/lib/libvelarion.so"));
    writeFile(path + QStringLiteral("/share/velarion/version"), version);
    writeFile(path + QStringLiteral("/share/velarion/.hidden"), "hidden");
    writeFile(path + QStringLiteral("/share/velarion/name with 'quotes' & ünïcode"), "odd");
    QDir().mkpath(path + QStringLiteral("/share/empty"));
}

bool waitForStart(const QString& path, const QByteArray& version) {
    return waitFor(
        [&] { return readFile(path + QStringLiteral("/started")) == "started " + version + '\n'; },
        30'000);
}

QString makeKeys(const QString& folder) {
    QDir().mkpath(folder);
    const QString secret = folder + QStringLiteral("/secret.key");
    const Outcome made = BundleSigner::generateKeys(secret, folder + QStringLiteral("/public.key"));
    EXPECT_TRUE(made.succeeded()) << qPrintable(made.error());
    return secret;
}

void writeArchive(const QString& path, const QList<Entry>& entries) {
    QDir().mkpath(QFileInfo(path).path());
    const std::unique_ptr<archive, decltype(&archive_write_free)> writer(archive_write_new(),
                                                                         &archive_write_free);
    archive_write_add_filter_zstd(writer.get());
    archive_write_set_format_pax_restricted(writer.get());
    ASSERT_EQ(archive_write_open_filename(writer.get(), QFile::encodeName(path).constData()),
              ARCHIVE_OK);
    // Indexed by Entry::Kind; a hard link is a regular entry that names its target.
    constexpr unsigned kFileTypes[] = {AE_IFREG, AE_IFDIR, AE_IFLNK, AE_IFREG, AE_IFIFO};
    for (const Entry& e : entries) {
        const std::unique_ptr<archive_entry, decltype(&archive_entry_free)> entry(
            archive_entry_new(), &archive_entry_free);
        archive_entry_copy_pathname(entry.get(), e.name.constData());
        archive_entry_set_perm(entry.get(), 0755);
        archive_entry_set_filetype(entry.get(), kFileTypes[static_cast<int>(e.kind)]);
        if (e.kind == Entry::Kind::File) {
            archive_entry_set_size(entry.get(), e.data.size());
        } else if (e.kind == Entry::Kind::Link) {
            archive_entry_copy_symlink(entry.get(), e.data.constData());
        } else if (e.kind == Entry::Kind::HardLink) {
            archive_entry_copy_hardlink(entry.get(), e.data.constData());
        }
        EXPECT_EQ(archive_write_header(writer.get(), entry.get()), ARCHIVE_OK)
            << archive_error_string(writer.get());
        if (e.kind == Entry::Kind::File) {
            archive_write_data(writer.get(), e.data.constData(),
                               static_cast<size_t>(e.data.size()));
        }
    }
    archive_write_close(writer.get());
}

}  // namespace BundleFactory
