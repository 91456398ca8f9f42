#include "update/UpdateInstaller.h"

#include "update/DMGDownloadDelegate.h"
#include "update/UpdateLogging.h"
#include "update/archive/TarZstdArchive.h"
#include "update/signing/SignedBundleVerifier.h"

#include <QFutureWatcher>
#include <QPointer>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>

namespace {

// What the worker hands back: the plan, or the error's description.
struct Prepared {
    std::optional<DMGInstaller::Plan> plan;
    QString error;
};

}  // namespace

UpdateInstaller::UpdateInstaller(DMGInstaller::Context context, std::function<void()> terminate,
                                 QObject* parent)
    : QObject(parent)
    , m_installer(std::move(context), std::make_shared<SignedBundleVerifier>(),
                  std::make_shared<TarZstdArchive>())
    , m_terminate(std::move(terminate)) {}

UpdateInstaller::~UpdateInstaller() = default;

void UpdateInstaller::install(const QUrl& url) {
    setPhase(Phase::downloading(0.0));
    QPointer<UpdateInstaller> self(this);
    auto* delegate = new DMGDownloadDelegate(
        [self](double fraction) {
            if (self) {
                self->reportProgress(fraction);
            }
        },
        m_installer.newImagePath(), this);
    delegate->run(url, [this, delegate](const DMGDownloadDelegate::Result& result) {
        delegate->deleteLater();
        onDownloaded(result.file, result.error);
    });
}

void UpdateInstaller::reportProgress(double fraction) {
    if (m_phase.kind != Phase::Kind::downloading) {
        return;
    }
    setPhase(Phase::downloading(std::clamp(fraction, 0.0, 1.0)));
}

void UpdateInstaller::onDownloaded(const std::optional<QString>& image, const QString& error) {
    if (!image) {
        fail(error);
        return;
    }
    setPhase(Phase::preparing());
    auto* watcher = new QFutureWatcher<Prepared>(this);
    connect(watcher, &QFutureWatcher<Prepared>::finished, this, [this, watcher] {
        watcher->deleteLater();
        const Prepared prepared = watcher->result();
        onPrepared(prepared.plan, prepared.error);
    });
    // The worker gets its own copy of the installer: nothing it touches is shared with this
    // thread.
    watcher->setFuture(QtConcurrent::run([installer = m_installer, file = *image]() -> Prepared {
        try {
            return {installer.prepare(file), {}};
        } catch (const DMGInstaller::Error& error) {
            return {std::nullopt, error.description()};
        }
    }));
}

void UpdateInstaller::onPrepared(const std::optional<DMGInstaller::Plan>& plan,
                                 const QString& error) {
    if (!plan) {
        fail(error);
        return;
    }
    setPhase(Phase::relaunching());
    try {
        m_installer.relaunch(*plan);
    } catch (const DMGInstaller::Error& relaunchError) {
        fail(relaunchError.description());
        return;
    }
    m_terminate();
}

void UpdateInstaller::fail(const QString& description) {
    qCCritical(lcUpdateInstaller).noquote() << "[UpdateInstaller] install failed: " + description;
    setPhase(Phase::failed());
    Q_EMIT installFailed(description);
}

void UpdateInstaller::setPhase(const Phase& phase) {
    if (m_phase == phase) {
        return;
    }
    m_phase = phase;
    Q_EMIT phaseChanged();
}
