#include "BundleFactory.h"

#include "update/archive/TarZstdArchive.h"
#include "update/signing/BundleSigner.h"

#include "support/QtPrinters.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <archive.h>
#include <archive_entry.h>

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
    QDir().mkpath(path + QStringLiteral("/share/empty"));
}

QString makeKeys(const QString& folder) {
    QDir().mkpath(folder);
    const QString secret = folder + QStringLiteral("/secret.key");
    const auto error = BundleSigner::generateKeys(secret, folder + QStringLiteral("/public.key"));
    EXPECT_FALSE(error.has_value()) << qPrintable(error.value_or(QString()));
    return secret;
}

void signAndPack(const QString& bundle, const QString& secretKey, const QString& archive) {
    const auto signError = BundleSigner::sign(bundle, secretKey);
    ASSERT_FALSE(signError.has_value()) << qPrintable(signError.value_or(QString()));
    const auto packError = TarZstdArchive().pack(bundle, archive);
    ASSERT_FALSE(packError.has_value()) << qPrintable(packError.value_or(QString()));
}

void writeArchive(const QString& path, const QList<Entry>& entries) {
    QDir().mkpath(QFileInfo(path).path());
    archive* writer = archive_write_new();
    archive_write_add_filter_zstd(writer);
    archive_write_set_format_pax_restricted(writer);
    ASSERT_EQ(archive_write_open_filename(writer, QFile::encodeName(path).constData()), ARCHIVE_OK);
    for (const Entry& e : entries) {
        archive_entry* entry = archive_entry_new();
        archive_entry_copy_pathname(entry, e.name.constData());
        archive_entry_set_perm(entry, 0755);
        switch (e.kind) {
            case Entry::Kind::File:
                archive_entry_set_filetype(entry, AE_IFREG);
                archive_entry_set_size(entry, e.data.size());
                break;
            case Entry::Kind::Folder:
                archive_entry_set_filetype(entry, AE_IFDIR);
                break;
            case Entry::Kind::Link:
                archive_entry_set_filetype(entry, AE_IFLNK);
                archive_entry_copy_symlink(entry, e.data.constData());
                break;
            case Entry::Kind::HardLink:
                archive_entry_set_filetype(entry, AE_IFREG);
                archive_entry_copy_hardlink(entry, e.data.constData());
                break;
            case Entry::Kind::Fifo:
                archive_entry_set_filetype(entry, AE_IFIFO);
                break;
        }
        EXPECT_EQ(archive_write_header(writer, entry), ARCHIVE_OK) << archive_error_string(writer);
        if (e.kind == Entry::Kind::File) {
            archive_write_data(writer, e.data.constData(), static_cast<size_t>(e.data.size()));
        }
        archive_entry_free(entry);
    }
    archive_write_close(writer);
    archive_write_free(writer);
}

}  // namespace BundleFactory
