#include "settings/CameraSetupPreferences.h"

#include "core/Preferences.h"
#include "core/UserDefaults.h"

namespace {

const QString kHasSeenKey = QString::fromLatin1(Preferences::kHasSeenCameraSetup);
const QString kResumeKey = QString::fromLatin1(Preferences::kResumeCameraSetup);

bool readBool(const UserDefaults& defaults, const QString& key, bool fallback) {
    return defaults.storedBool(key).value_or(fallback);
}

}  // namespace

CameraSetupPreferences::CameraSetupPreferences(UserDefaults& defaults, QObject* parent)
    : QObject(parent)
    , m_defaults(defaults)
    , m_hasSeen(readBool(defaults, kHasSeenKey, Preferences::kDefaultHasSeenCameraSetup))
    , m_resume(readBool(defaults, kResumeKey, Preferences::kDefaultResumeCameraSetup)) {
    connect(&m_defaults, &UserDefaults::valueChanged, this, &CameraSetupPreferences::reload);
}

bool CameraSetupPreferences::takeSetupDue() {
    if (m_hasSeen && !m_resume) {
        return false;
    }
    m_defaults.setValue(kHasSeenKey, true);
    m_defaults.setValue(kResumeKey, false);
    return true;
}

void CameraSetupPreferences::resumeAtNextLaunch() {
    m_defaults.setValue(kResumeKey, true);
    // Written now: the application ends right after this, before any later sync.
    m_defaults.sync();
}

void CameraSetupPreferences::reload(const QString& key) {
    if (key == kHasSeenKey) {
        const bool hasSeen = readBool(m_defaults, key, Preferences::kDefaultHasSeenCameraSetup);
        if (hasSeen != m_hasSeen) {
            m_hasSeen = hasSeen;
            Q_EMIT hasSeenCameraSetupChanged();
        }
    } else if (key == kResumeKey) {
        const bool resume = readBool(m_defaults, key, Preferences::kDefaultResumeCameraSetup);
        if (resume != m_resume) {
            m_resume = resume;
            Q_EMIT resumeCameraSetupChanged();
        }
    }
}
