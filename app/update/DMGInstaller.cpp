#include "update/DMGInstaller.h"

#include "update/Bundle.h"
#include "update/BundleVerifier.h"
#include "update/FileTree.h"
#include "update/RelaunchScript.h"
#include "update/UpdateArchive.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QUuid>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <unistd.h>

namespace {

constexpr char kShell[] = "/bin/sh";

QString newUuidText() {
    return QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
}

}  // namespace

QString DMGInstaller::name(Failure failure) {
    switch (failure) {
        case Failure::downloadFailed:
            return QStringLiteral("downloadFailed");
        case Failure::mountFailed:
            return QStringLiteral("mountFailed");
        case Failure::appNotFound:
            return QStringLiteral("appNotFound");
        case Failure::signatureInvalid:
            return QStringLiteral("signatureInvalid");
        case Failure::teamMismatch:
            return QStringLiteral("teamMismatch");
        case Failure::stagingFailed:
            return QStringLiteral("stagingFailed");
    }
    return QString();
}

DMGInstaller::Error::Error(Failure failure)
    : m_failure(failure)
    , m_description(name(failure))
    , m_what(m_description.toUtf8()) {}

DMGInstaller::Error::Error(QString description)
    : m_description(std::move(description))
    , m_what(m_description.toUtf8()) {}

DMGInstaller::Context DMGInstaller::Context::forRunningApplication() {
    Context context;
    context.runningBundle = Bundle::runningBundle();
    context.temporaryDirectory = QDir::tempPath();
    context.processId = QCoreApplication::applicationPid();
    return context;
}

DMGInstaller::DMGInstaller(Context context, std::shared_ptr<const BundleVerifier> verifier,
                           std::shared_ptr<const UpdateArchive> archive)
    : m_context(std::move(context))
    , m_verifier(std::move(verifier))
    , m_archive(std::move(archive)) {}

QString DMGInstaller::newImagePath() const {
    return QDir(m_context.temporaryDirectory)
        .filePath(QStringLiteral("Velarion-Update-") + newUuidText() + m_archive->fileExtension());
}

DMGInstaller::Plan DMGInstaller::prepare(const QString& image) const {
    const QString mountPoint = mount(image);
    QString app;
    try {
        app = findApp(mountPoint);
        verify(app);
    } catch (const Error&) {
        detach(mountPoint);
        throw;
    }

    const QString target = QDir::cleanPath(m_context.runningBundle);
    const QString staged = Bundle::stagingPath(target);
    FileTree::remove(staged);
    if (const Outcome copied = FileTree::copy(app, staged); copied.failed()) {
        // A half-made copy would only be in the way of the next attempt.
        FileTree::remove(staged);
        detach(mountPoint);
        throw Error(Failure::stagingFailed);
    }
    detach(mountPoint);
    if (m_context.removeImageAfterStaging) {
        QFile::remove(image);
    }
    return Plan{staged, target};
}

QString DMGInstaller::mount(const QString& image) const {
    QByteArray pattern = QFile::encodeName(
        QDir(m_context.temporaryDirectory).filePath(QStringLiteral("velarion-mount-XXXXXX")));
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw Error(Failure::mountFailed);
    }
    const QString mountPoint = QFile::decodeName(pattern);
    if (const Outcome extracted = m_archive->extract(image, mountPoint); extracted.failed()) {
        FileTree::remove(mountPoint);
        throw Error(Failure::mountFailed);
    }
    FileTree::makeReadOnly(mountPoint);
    return mountPoint;
}

QString DMGInstaller::findApp(const QString& mountPoint) const {
    const QStringList entries =
        QDir(mountPoint)
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                       QDir::Unsorted);
    for (const QString& entry : entries) {
        const QString path = QDir(mountPoint).filePath(entry);
        if (Bundle::isBundle(path)) {
            return path;
        }
    }
    throw Error(Failure::appNotFound);
}

void DMGInstaller::verify(const QString& app) const {
    if (!m_verifier->verify(app)) {
        throw Error(Failure::signatureInvalid);
    }
    const std::optional<QString> incoming = teamIdentifier(app);
    const std::optional<QString> current = teamIdentifier(m_context.runningBundle);
    if (!incoming || !current || *incoming != *current) {
        throw Error(Failure::teamMismatch);
    }
}

std::optional<QString> DMGInstaller::teamIdentifier(const QString& bundle) const {
    return m_verifier->teamIdentifier(bundle);
}

void DMGInstaller::detach(const QString& mountPoint) const {
    FileTree::remove(mountPoint);
}

QString DMGInstaller::relaunch(const Plan& plan) const {
    const QString scriptPath =
        QDir(m_context.temporaryDirectory)
            .filePath(QStringLiteral("vl-update-") + newUuidText() + QStringLiteral(".sh"));
    const QByteArray text =
        RelaunchScript::text(m_context.processId, plan.staged, plan.target).toUtf8();
    QSaveFile file(scriptPath);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit()) {
        throw Error(scriptPath + QStringLiteral(": ") + file.errorString());
    }

    if (::access(kShell, X_OK) != 0) {
        throw Error(QString::fromLatin1(kShell) + QStringLiteral(": ") +
                    QString::fromLocal8Bit(std::strerror(errno)));
    }
    QProcess shell;
    shell.setProgram(QString::fromLatin1(kShell));
    shell.setArguments({scriptPath});
    shell.setStandardInputFile(QProcess::nullDevice());
    shell.setStandardOutputFile(QProcess::nullDevice());
    shell.setStandardErrorFile(QProcess::nullDevice());
    if (!shell.startDetached()) {
        throw Error(QString::fromLatin1(kShell) + QStringLiteral(": ") + shell.errorString());
    }
    return scriptPath;
}
