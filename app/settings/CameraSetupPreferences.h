#pragma once

#include <QObject>

class UserDefaults;

// The two preferences that decide whether the main window opens the camera set-up by itself:
// "hasSeenCameraSetup" (it was opened once) and "resumeCameraSetup" (a "Quit & Reopen" asked for
// it again at the next launch). Both read false until written.
//
// Follows the store's change signal, so every instance on one store stays in step. GUI thread
// only; `defaults` must outlive this object.
class CameraSetupPreferences final : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool hasSeenCameraSetup READ hasSeenCameraSetup NOTIFY hasSeenCameraSetupChanged)
    Q_PROPERTY(bool resumeCameraSetup READ resumeCameraSetup NOTIFY resumeCameraSetupChanged)

public:
    explicit CameraSetupPreferences(UserDefaults& defaults, QObject* parent = nullptr);

    bool hasSeenCameraSetup() const { return m_hasSeen; }
    bool resumeCameraSetup() const { return m_resume; }

    // The main window appeared. True when the set-up is to open now (never seen, or resuming);
    // then it counts as seen and the resume request is used up, so it opens once.
    Q_INVOKABLE bool takeSetupDue();
    // "Quit & Reopen": the next launch opens the set-up again.
    Q_INVOKABLE void resumeAtNextLaunch();

Q_SIGNALS:
    void hasSeenCameraSetupChanged();
    void resumeCameraSetupChanged();

private:
    void reload(const QString& key);

    UserDefaults& m_defaults;
    bool m_hasSeen;
    bool m_resume;
};
