#pragma once

#include "update/DMGInstaller.h"

#include <QObject>
#include <QUrl>

#include <functional>
#include <memory>

// Drives an install: download, preparation on a worker thread, the relaunch script, then the
// application's own quit path. Lives on the GUI thread; its outcome is visible only through
// `phase` (and, on success, the application ending).
class UpdateInstaller final : public QObject {
    Q_OBJECT
    Q_PROPERTY(Phase phase READ phase NOTIFY phaseChanged)

public:
    struct Phase {
        enum class Kind { idle, downloading, preparing, relaunching, failed };

        Kind kind = Kind::idle;
        double fraction = 0.0;  // only for `downloading`

        static Phase idle() { return {Kind::idle, 0.0}; }
        static Phase downloading(double fraction) { return {Kind::downloading, fraction}; }
        static Phase preparing() { return {Kind::preparing, 0.0}; }
        static Phase relaunching() { return {Kind::relaunching, 0.0}; }
        static Phase failed() { return {Kind::failed, 0.0}; }

        bool operator==(const Phase& other) const {
            return kind == other.kind && (kind != Kind::downloading || fraction == other.fraction);
        }
    };

    // `terminate` ends the application through its quit path once the script runs.
    UpdateInstaller(DMGInstaller::Context context, std::function<void()> terminate,
                    QObject* parent = nullptr);
    ~UpdateInstaller() override;

    Phase phase() const { return m_phase; }

    // Starts an install from `url` and returns at once. A second call starts over.
    void install(const QUrl& url);

    // A download's progress report: clamped to 0…1, and dropped unless still downloading.
    void reportProgress(double fraction);

Q_SIGNALS:
    void phaseChanged();
    // The error's description, after the "install failed" log line and `failed`.
    void installFailed(const QString& description);

private:
    void onDownloaded(const std::optional<QString>& image, const QString& error);
    void onPrepared(const std::optional<DMGInstaller::Plan>& plan, const QString& error);
    void fail(const QString& description);
    void setPhase(const Phase& phase);

    DMGInstaller m_installer;
    std::function<void()> m_terminate;
    Phase m_phase;
};

Q_DECLARE_METATYPE(UpdateInstaller::Phase)
