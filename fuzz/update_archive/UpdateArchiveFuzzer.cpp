// An update archive as a server could send it (plain tar; compression is libarchive's own
// business), extracted into a fresh folder three levels down a box. A run fails when anything
// appears in the box beside the path to that folder, or when a link inside it resolves outside.

#include "update/archive/TarZstdArchive.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

std::unique_ptr<QTemporaryDir> g_box;

void failBecause(const QString& why) {
    std::fprintf(stderr, "escape: %s\n", qPrintable(why));
    std::abort();
}

constexpr QDir::Filters kEverything =
    QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot;

void checkConfined(const QString& box, const QString& out) {
    // box/in.tar and box/1/2/out, nothing else on the way.
    const QStringList expected[] = {{QStringLiteral("1"), QStringLiteral("in.tar")},
                                    {QStringLiteral("2")},
                                    {QStringLiteral("out")}};
    QString level = box;
    for (const QStringList& names : expected) {
        QStringList found = QDir(level).entryList(kEverything, QDir::Name);
        if (found != names) {
            failBecause(level + QStringLiteral(": ") + found.join(QLatin1Char(' ')));
        }
        level += QLatin1Char('/') + names.first();  // the next level down ("1" sorts first)
    }
    const QString root = QFileInfo(out).canonicalFilePath();
    QDirIterator it(out, kEverything, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo entry(it.next());
        if (!entry.isSymLink()) {
            continue;
        }
        const QString target = entry.canonicalFilePath();  // empty when dangling
        if (!target.isEmpty() && target != root && !target.startsWith(root + QLatin1Char('/'))) {
            failBecause(entry.filePath() + QStringLiteral(" -> ") + target);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
    g_box = std::make_unique<QTemporaryDir>();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString box = g_box->path();
    const QString archive = box + QStringLiteral("/in.tar");
    const QString out = box + QStringLiteral("/1/2/out");
    {
        QFile file(archive);
        if (!file.open(QIODevice::WriteOnly) ||
            file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size)) !=
                static_cast<qint64>(size)) {
            std::abort();
        }
    }
    QDir(out).removeRecursively();
    QDir().mkpath(out);
    // Small caps, so the fuzzer also walks the refusal paths.
    const TarZstdArchive extractor({.maxTotalBytes = 1 << 20, .maxEntries = 64});
    (void)extractor.extract(archive, out);
    checkConfined(box, out);
    // Extracted folders may be read-only; make them removable for the next run.
    QDirIterator it(out, QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile::setPermissions(it.next(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    QDir(out).removeRecursively();
    return 0;
}
