#include "ui/controllers/UpdateController.h"

#include "update/UpdateChecker.h"
#include "update/UpdateInstaller.h"

#include <cmath>

UpdateController::UpdateController(UpdateChecker& checker, UpdateInstaller& installer,
                                   OpenUrl openUrl, QObject* parent)
    : QObject(parent)
    , m_checker(checker)
    , m_installer(installer)
    , m_openUrl(std::move(openUrl)) {
    connect(&m_checker, &UpdateChecker::statusChanged, this, &UpdateController::statusChanged);
    connect(&m_checker, &UpdateChecker::releaseNotesChanged, this,
            &UpdateController::releaseNotesChanged);
    connect(&m_installer, &UpdateInstaller::phaseChanged, this, &UpdateController::phaseChanged);
}

QString UpdateController::status() const {
    switch (m_checker.status().kind) {
        case UpdateChecker::Status::Kind::idle:
            return QStringLiteral("idle");
        case UpdateChecker::Status::Kind::checking:
            return QStringLiteral("checking");
        case UpdateChecker::Status::Kind::upToDate:
            return QStringLiteral("upToDate");
        case UpdateChecker::Status::Kind::available:
            return QStringLiteral("available");
        case UpdateChecker::Status::Kind::failed:
            return QStringLiteral("failed");
    }
    return QStringLiteral("idle");
}

QString UpdateController::availableVersion() const {
    const UpdateChecker::Status status = m_checker.status();
    return status.kind == UpdateChecker::Status::Kind::available ? status.version : QString();
}

QString UpdateController::currentVersion() const {
    return m_checker.localVersion();
}

QString UpdateController::releaseNotes() const {
    return m_checker.releaseNotes().value_or(QString());
}

QString UpdateController::phase() const {
    switch (m_installer.phase().kind) {
        case UpdateInstaller::Phase::Kind::idle:
            return QStringLiteral("idle");
        case UpdateInstaller::Phase::Kind::downloading:
            return QStringLiteral("downloading");
        case UpdateInstaller::Phase::Kind::preparing:
            return QStringLiteral("preparing");
        case UpdateInstaller::Phase::Kind::relaunching:
            return QStringLiteral("relaunching");
        case UpdateInstaller::Phase::Kind::failed:
            return QStringLiteral("failed");
    }
    return QStringLiteral("idle");
}

double UpdateController::progress() const {
    const UpdateInstaller::Phase phase = m_installer.phase();
    return phase.kind == UpdateInstaller::Phase::Kind::downloading ? phase.fraction : 0.0;
}

int UpdateController::progressPercent() const {
    // The installer clamps the fraction to 0…1, so the product is a small finite number.
    return int(std::trunc(progress() * 100.0));
}

void UpdateController::check() {
    m_checker.check();
}

void UpdateController::setUpdatedByPackageManager(bool managed) {
    if (m_updatedByPackageManager != managed) {
        m_updatedByPackageManager = managed;
        Q_EMIT updatedByPackageManagerChanged();
    }
}

bool UpdateController::installUpdate() {
    const std::optional<QUrl> url = m_checker.downloadURL();
    const UpdateInstaller::Phase::Kind phase = m_installer.phase().kind;
    if (!url || m_updatedByPackageManager ||
        (phase != UpdateInstaller::Phase::Kind::idle &&
         phase != UpdateInstaller::Phase::Kind::failed)) {
        return false;
    }
    m_installer.install(*url);
    return true;
}

bool UpdateController::downloadManually() {
    const std::optional<QUrl> url = m_checker.downloadURL();
    if (!url) {
        return false;
    }
    m_openUrl(*url);
    return true;
}
