// Costs of an update's preparation on a bundle the size of a real install, each next to the
// standard tool doing the same work in the same run:
//   verify (hash every file + Ed25519)   vs  sha256sum over the same files
//   pack (tar + zstd)                    vs  tar --zstd -cf
//   extract with the path checks         vs  tar --zstd -xf
// Usage: bench_update [FILES [MEGABYTES]]   (default 300 files, 80 MB)

#include "core/CommandRunner.h"
#include "update/archive/TarZstdArchive.h"
#include "update/signing/BundleSigner.h"
#include "update/signing/SignedBundleVerifier.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextStream>

#include <functional>

namespace {

constexpr int kRounds = 3;

void makeBundle(const QString& root, int files, qint64 totalBytes) {
    QRandomGenerator random(42);
    const qint64 perFile = totalBytes / files;
    for (int i = 0; i < files; ++i) {
        const QString folder = root + QStringLiteral("/lib/part%1").arg(i % 12);
        QDir().mkpath(folder);
        QFile file(folder + QStringLiteral("/file%1.so").arg(i));
        if (!file.open(QIODevice::WriteOnly)) {
            qFatal("cannot write %s", qPrintable(file.fileName()));
        }
        // Half random (incompressible code), half repeated (tables and text).
        QByteArray data(perFile, '\0');
        random.fillRange(reinterpret_cast<quint32*>(data.data()), data.size() / 8);
        file.write(data);
    }
    QDir().mkpath(root + QStringLiteral("/bin"));
    QFile launcher(root + QStringLiteral("/bin/velarion"));
    launcher.open(QIODevice::WriteOnly);
    launcher.write("#!/bin/sh\n");
    launcher.setPermissions(launcher.permissions() | QFile::ExeOwner);
}

QStringList filesBelow(const QString& root) {
    QStringList files;
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        files.append(it.next());
    }
    return files;
}

// Best of a few rounds, in milliseconds.
double best(const std::function<void()>& work) {
    double fastest = 1e18;
    for (int round = 0; round < kRounds; ++round) {
        QElapsedTimer timer;
        timer.start();
        work();
        fastest = std::min(fastest, static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    return fastest;
}

void row(QTextStream& out, const char* what, double ours, const char* peerName, double peer) {
    out << QStringLiteral("%1  %2 ms   %3  %4 ms   ratio %5\n")
               .arg(QString::fromLatin1(what), -28)
               .arg(ours, 8, 'f', 1)
               .arg(QString::fromLatin1(peerName), -22)
               .arg(peer, 8, 'f', 1)
               .arg(ours / peer, 0, 'f', 2);
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    const int files = argc > 1 ? std::atoi(argv[1]) : 300;
    const qint64 megabytes = argc > 2 ? std::atoll(argv[2]) : 80;
    QTemporaryDir dir;
    const QString bundle = dir.filePath(QStringLiteral("Velarion"));
    makeBundle(bundle, files, megabytes * 1024 * 1024);
    const QString secret = dir.filePath(QStringLiteral("secret.key"));
    const Outcome keys =
        BundleSigner::generateKeys(secret, dir.filePath(QStringLiteral("public.key")));
    if (keys.failed()) {
        qFatal("keys: %s", qPrintable(keys.error()));
    }
    if (const Outcome signedBundle = BundleSigner::sign(bundle, secret); signedBundle.failed()) {
        qFatal("sign: %s", qPrintable(signedBundle.error()));
    }
    const CommandRunner runner;
    const QString archive = dir.filePath(QStringLiteral("u.tar.zst"));
    const QString peerArchive = dir.filePath(QStringLiteral("peer.tar.zst"));
    const QStringList bundleFiles = filesBelow(bundle);

    QTextStream out(stdout);
    out << "bundle: " << bundleFiles.size() << " files, " << megabytes << " MB; best of " << kRounds
        << "\n";

    const SignedBundleVerifier verifier;
    const double verify = best([&] {
        if (!verifier.verify(bundle)) {
            qFatal("verify failed");
        }
    });
    const double sha = best([&] { runner.run(QStringLiteral("/usr/bin/sha256sum"), bundleFiles); });
    row(out, "verify (hash + Ed25519)", verify, "sha256sum", sha);

    const TarZstdArchive tar;
    const double pack = best([&] {
        QFile::remove(archive);
        if (const Outcome packed = tar.pack(bundle, archive); packed.failed()) {
            qFatal("pack: %s", qPrintable(packed.error()));
        }
    });
    const double peerPack = best([&] {
        QFile::remove(peerArchive);
        runner.run(QStringLiteral("/usr/bin/tar"),
                   {QStringLiteral("--zstd"), QStringLiteral("-cf"), peerArchive,
                    QStringLiteral("-C"), dir.path(), QStringLiteral("Velarion")});
    });
    row(out, "pack (tar.zst)", pack, "tar --zstd -cf", peerPack);

    int round = 0;
    const double extract = best([&] {
        const QString target = dir.filePath(QStringLiteral("x%1").arg(round++));
        QDir().mkpath(target);
        if (const Outcome extracted = tar.extract(archive, target); extracted.failed()) {
            qFatal("extract: %s", qPrintable(extracted.error()));
        }
    });
    const double peerExtract = best([&] {
        const QString target = dir.filePath(QStringLiteral("p%1").arg(round++));
        QDir().mkpath(target);
        runner.run(QStringLiteral("/usr/bin/tar"), {QStringLiteral("--zstd"), QStringLiteral("-xf"),
                                                    archive, QStringLiteral("-C"), target});
    });
    row(out, "extract with path checks", extract, "tar --zstd -xf", peerExtract);
    out << "archive: " << QFileInfo(archive).size() / 1024 << " KiB (peer "
        << QFileInfo(peerArchive).size() / 1024 << " KiB)\n";
    return 0;
}
