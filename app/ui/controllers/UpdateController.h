#pragma once

#include <QObject>
#include <QString>
#include <QUrl>

#include <functional>

class UpdateChecker;
class UpdateInstaller;

// The update checker and installer as the settings row and the update window show them: the
// check's status and the installer's phase as names, the versions, the release notes and the
// download progress; the verbs guard what the buttons may start. GUI thread only; the services
// must outlive this object.
class UpdateController final : public QObject {
    Q_OBJECT
    // "idle", "checking", "upToDate", "available" or "failed".
    Q_PROPERTY(QString status READ status NOTIFY statusChanged)
    // The advertised version while `status` is "available", else empty.
    Q_PROPERTY(QString availableVersion READ availableVersion NOTIFY statusChanged)
    Q_PROPERTY(QString currentVersion READ currentVersion CONSTANT)
    // The feed's notes as published (empty when it had none).
    Q_PROPERTY(QString releaseNotes READ releaseNotes NOTIFY releaseNotesChanged)
    // "idle", "downloading", "preparing", "relaunching" or "failed".
    Q_PROPERTY(QString phase READ phase NOTIFY phaseChanged)
    // The download's fraction (0…1) and its whole percent, truncated.
    Q_PROPERTY(double progress READ progress NOTIFY phaseChanged)
    Q_PROPERTY(int progressPercent READ progressPercent NOTIFY phaseChanged)
    // True when the package manager updates this copy: the window offers no install of its own.
    Q_PROPERTY(bool updatedByPackageManager READ updatedByPackageManager NOTIFY
                   updatedByPackageManagerChanged)

public:
    using OpenUrl = std::function<void(const QUrl&)>;

    // `openUrl` hands an address to the desktop (the browser).
    UpdateController(UpdateChecker& checker, UpdateInstaller& installer, OpenUrl openUrl,
                     QObject* parent = nullptr);

    QString status() const;
    QString availableVersion() const;
    QString currentVersion() const;
    QString releaseNotes() const;
    QString phase() const;
    double progress() const;
    int progressPercent() const;
    bool updatedByPackageManager() const { return m_updatedByPackageManager; }
    void setUpdatedByPackageManager(bool managed);

    Q_INVOKABLE void check();
    // Starts an install from the feed's download address; false (nothing started) without an
    // address, while an install is under way, so a second press starts nothing, or when the
    // package manager updates this copy.
    Q_INVOKABLE bool installUpdate();
    // Opens the download address in the browser; false when there is none.
    Q_INVOKABLE bool downloadManually();

Q_SIGNALS:
    void statusChanged();
    void releaseNotesChanged();
    void phaseChanged();
    void updatedByPackageManagerChanged();

private:
    UpdateChecker& m_checker;
    UpdateInstaller& m_installer;
    OpenUrl m_openUrl;
    bool m_updatedByPackageManager = false;
};
