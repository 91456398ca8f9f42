#include "update/archive/TarZstdArchive.h"

#include "update/archive/ArchivePaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <archive.h>
#include <archive_entry.h>

#include <cerrno>
#include <cstring>
#include <memory>

#include <sys/stat.h>
#include <unistd.h>

namespace {

struct ReaderDeleter {
    void operator()(archive* a) const { archive_read_free(a); }
};
struct WriterDeleter {
    void operator()(archive* a) const { archive_write_free(a); }
};
struct EntryDeleter {
    void operator()(archive_entry* e) const { archive_entry_free(e); }
};
using Reader = std::unique_ptr<archive, ReaderDeleter>;
using Writer = std::unique_ptr<archive, WriterDeleter>;
using Entry = std::unique_ptr<archive_entry, EntryDeleter>;

// Entries are written under absolute paths inside the destination (confine() has checked the
// archive's own names), so libarchive's absolute-path guard cannot be used; its guards against
// ".." and against writing through a link stay on as a second line of defence.
constexpr int kExtractFlags = ARCHIVE_EXTRACT_SECURE_NODOTDOT | ARCHIVE_EXTRACT_SECURE_SYMLINKS |
                              ARCHIVE_EXTRACT_PERM | ARCHIVE_EXTRACT_UNLINK;

QString archiveError(archive* a) {
    const char* text = archive_error_string(a);
    return text ? QString::fromLocal8Bit(text) : QStringLiteral("archive error");
}

QString systemError(const QString& path) {
    return path + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno));
}

// Packs one folder tree. Names are stored as the file system's bytes ("hdrcharset=BINARY"), so no
// locale conversion can alter or reject them.
class Packer {
public:
    Packer(archive* writer, QString root, QString topName)
        : m_writer(writer)
        , m_root(std::move(root))
        , m_topName(std::move(topName)) {}

    Outcome add(const QString& relative) {
        const QString path = relative.isEmpty() ? m_root : m_root + QLatin1Char('/') + relative;
        const QString name =
            relative.isEmpty() ? m_topName : m_topName + QLatin1Char('/') + relative;
        const QByteArray encodedPath = QFile::encodeName(path);
        struct stat info {};
        if (::lstat(encodedPath.constData(), &info) != 0) {
            return Outcome::failure(systemError(path));
        }
        Entry entry(archive_entry_new());
        archive_entry_copy_pathname(entry.get(), QFile::encodeName(name).constData());
        archive_entry_set_mtime(entry.get(), info.st_mtime, 0);
        if (S_ISDIR(info.st_mode)) {
            archive_entry_set_filetype(entry.get(), AE_IFDIR);
            archive_entry_set_perm(entry.get(), 0755);
            if (const Outcome headerWritten = writeHeader(entry.get()); headerWritten.failed()) {
                return headerWritten;
            }
            const QStringList names = QDir(path).entryList(
                QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
            for (const QString& child : names) {
                if (const Outcome added =
                        add(relative.isEmpty() ? child : relative + QLatin1Char('/') + child);
                    added.failed()) {
                    return added;
                }
            }
            return Outcome::success();
        }
        if (S_ISLNK(info.st_mode)) {
            QByteArray target(PATH_MAX, '\0');
            const ssize_t length = ::readlink(encodedPath.constData(), target.data(),
                                              static_cast<size_t>(target.size()));
            if (length < 0 || length >= target.size()) {
                return Outcome::failure(systemError(path));
            }
            target.truncate(length);
            archive_entry_set_filetype(entry.get(), AE_IFLNK);
            archive_entry_set_perm(entry.get(), 0777);
            archive_entry_copy_symlink(entry.get(), target.constData());
            return writeHeader(entry.get());
        }
        if (!S_ISREG(info.st_mode)) {
            return Outcome::failure(path + QStringLiteral(": not a file, folder or link"));
        }
        archive_entry_set_filetype(entry.get(), AE_IFREG);
        archive_entry_set_perm(entry.get(), (info.st_mode & S_IXUSR) ? 0755 : 0644);
        archive_entry_set_size(entry.get(), info.st_size);
        if (const Outcome headerWritten = writeHeader(entry.get()); headerWritten.failed()) {
            return headerWritten;
        }
        return writeData(path, info.st_size);
    }

private:
    Outcome writeHeader(archive_entry* entry) {
        if (archive_write_header(m_writer, entry) < ARCHIVE_WARN) {
            return Outcome::failure(archiveError(m_writer));
        }
        return Outcome::success();
    }

    Outcome writeData(const QString& path, qint64 size) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            return Outcome::failure(path + QStringLiteral(": ") + file.errorString());
        }
        qint64 written = 0;
        while (written < size) {
            const QByteArray chunk = file.read(std::min<qint64>(1 << 20, size - written));
            if (chunk.isEmpty()) {
                return Outcome::failure(path + QStringLiteral(": changed while being packed"));
            }
            if (archive_write_data(m_writer, chunk.constData(), static_cast<size_t>(chunk.size())) <
                0) {
                return Outcome::failure(archiveError(m_writer));
            }
            written += chunk.size();
        }
        return Outcome::success();
    }

    archive* m_writer;
    QString m_root;
    QString m_topName;
};

Outcome copyData(archive* reader, archive* writer) {
    const void* block = nullptr;
    size_t size = 0;
    la_int64_t offset = 0;
    for (;;) {
        const int status = archive_read_data_block(reader, &block, &size, &offset);
        if (status == ARCHIVE_EOF) {
            return Outcome::success();
        }
        if (status < ARCHIVE_WARN) {
            return Outcome::failure(archiveError(reader));
        }
        if (archive_write_data_block(writer, block, size, offset) < ARCHIVE_WARN) {
            return Outcome::failure(archiveError(writer));
        }
    }
}

// Checks one entry against the path rules and points it into `destination`.
Outcome confine(archive_entry* entry, const QString& destination) {
    const char* rawName = archive_entry_pathname(entry);
    const QString name = rawName ? QFile::decodeName(rawName) : QString();
    const std::optional<QString> relative = ArchivePaths::safeRelative(name);
    if (!relative) {
        return Outcome::failure(
            QStringLiteral("refused entry \"%1\": path leaves the folder").arg(name));
    }
    if (const char* rawHardlink = archive_entry_hardlink(entry)) {
        const auto target = ArchivePaths::safeRelative(QFile::decodeName(rawHardlink));
        if (!target) {
            return Outcome::failure(
                QStringLiteral("refused entry \"%1\": hard link leaves the folder").arg(name));
        }
        archive_entry_copy_hardlink(
            entry, QFile::encodeName(destination + QLatin1Char('/') + *target).constData());
    } else {
        switch (archive_entry_filetype(entry)) {
            case AE_IFDIR:
            case AE_IFREG:
                break;
            case AE_IFLNK: {
                const char* rawTarget = archive_entry_symlink(entry);
                const QString target = rawTarget ? QFile::decodeName(rawTarget) : QString();
                if (!ArchivePaths::linkStaysInside(*relative, target)) {
                    return Outcome::failure(
                        QStringLiteral("refused entry \"%1\": link to \"%2\" leaves the folder")
                            .arg(name, target));
                }
                break;
            }
            default:
                return Outcome::failure(
                    QStringLiteral("refused entry \"%1\": not a file, folder or link").arg(name));
        }
    }
    archive_entry_set_perm(entry, archive_entry_perm(entry) & 0755);
    archive_entry_copy_pathname(
        entry, QFile::encodeName(destination + QLatin1Char('/') + *relative).constData());
    return Outcome::success();
}

}  // namespace

Outcome TarZstdArchive::pack(const QString& bundle, const QString& archivePath) const {
    const QFileInfo folder(bundle);
    if (!folder.isDir() || folder.isSymLink()) {
        return Outcome::failure(bundle + QStringLiteral(": not a folder"));
    }
    Writer writer(archive_write_new());
    if (archive_write_add_filter_zstd(writer.get()) != ARCHIVE_OK ||
        archive_write_set_format_pax_restricted(writer.get()) != ARCHIVE_OK ||
        archive_write_set_format_option(writer.get(), "pax", "hdrcharset", "BINARY") <
            ARCHIVE_WARN ||
        archive_write_open_filename(writer.get(), QFile::encodeName(archivePath).constData()) !=
            ARCHIVE_OK) {
        return Outcome::failure(archiveError(writer.get()));
    }
    Packer packer(writer.get(), QDir::cleanPath(bundle), folder.fileName());
    if (const Outcome packed = packer.add(QString()); packed.failed()) {
        return packed;
    }
    if (archive_write_close(writer.get()) != ARCHIVE_OK) {
        return Outcome::failure(archiveError(writer.get()));
    }
    return Outcome::success();
}

Outcome TarZstdArchive::extract(const QString& archivePath, const QString& destination) const {
    Reader reader(archive_read_new());
    archive_read_support_filter_all(reader.get());
    archive_read_support_format_tar(reader.get());
    if (archive_read_open_filename(reader.get(), QFile::encodeName(archivePath).constData(),
                                   64 * 1024) != ARCHIVE_OK) {
        return Outcome::failure(archiveError(reader.get()));
    }
    Writer writer(archive_write_disk_new());
    archive_write_disk_set_options(writer.get(), kExtractFlags);
    const QString root = QDir::cleanPath(QFileInfo(destination).absoluteFilePath());

    archive_entry* entry = nullptr;
    qint64 entries = 0;
    qint64 totalBytes = 0;
    for (;;) {
        const int status = archive_read_next_header(reader.get(), &entry);
        if (status == ARCHIVE_EOF) {
            break;
        }
        if (status < ARCHIVE_WARN) {
            return Outcome::failure(archiveError(reader.get()));
        }
        if (++entries > m_limits.maxEntries) {
            return Outcome::failure(
                QStringLiteral("refused archive: more than %1 entries").arg(m_limits.maxEntries));
        }
        // A tar entry's data never exceeds its declared size (libarchive stops there), so the
        // declared sizes bound what is written.
        const qint64 size = archive_entry_size_is_set(entry) ? archive_entry_size(entry) : 0;
        if (size < 0 || size > m_limits.maxTotalBytes - totalBytes) {
            return Outcome::failure(
                QStringLiteral("refused archive: its contents exceed %1")
                    .arg(QLocale::c().formattedDataSize(m_limits.maxTotalBytes)));
        }
        totalBytes += size;
        if (const Outcome confined = confine(entry, root); confined.failed()) {
            return confined;
        }
        if (archive_write_header(writer.get(), entry) < ARCHIVE_WARN) {
            return Outcome::failure(archiveError(writer.get()));
        }
        if (archive_entry_size(entry) > 0) {
            if (const Outcome copied = copyData(reader.get(), writer.get()); copied.failed()) {
                return copied;
            }
        }
        if (archive_write_finish_entry(writer.get()) < ARCHIVE_WARN) {
            return Outcome::failure(archiveError(writer.get()));
        }
    }
    if (archive_write_close(writer.get()) != ARCHIVE_OK) {
        return Outcome::failure(archiveError(writer.get()));
    }
    return Outcome::success();
}
