#include "ui/controllers/SettingsController.h"

#include "core/SensitiveDataKind.h"
#include "settings/AppLanguage.h"
#include "settings/LaunchAtLoginSetting.h"
#include "settings/LocalizationManager.h"
#include "settings/MaskSettings.h"
#include "settings/SettingsValues.h"
#include "ui/controllers/HotkeyRecorder.h"
#include "update/UpdateChecker.h"

#include <algorithm>

SettingsController::SettingsController(LocalizationManager& localization,
                                       LaunchAtLoginSetting& launchAtLogin, MaskSettings& mask,
                                       HotkeyManager& hotkeys, QObject* keyEventSource,
                                       QObject* parent)
    : QObject(parent)
    , m_localization(localization)
    , m_launchAtLogin(launchAtLogin)
    , m_mask(mask)
    , m_recorder(new HotkeyRecorder(hotkeys, keyEventSource, this)) {
    connect(&m_localization, &LocalizationManager::languageChanged, this,
            &SettingsController::languageIndexChanged);
    connect(&m_launchAtLogin, &LaunchAtLoginSetting::launchAtLoginChanged, this,
            &SettingsController::launchAtLoginChanged);
    connect(&m_mask, &MaskSettings::blurRadiusChanged, this,
            &SettingsController::blurRadiusChanged);
    connect(&m_mask, &MaskSettings::scanIntervalChanged, this,
            &SettingsController::scanIntervalChanged);
}

SettingsController::~SettingsController() = default;

QStringList SettingsController::languageNames() const {
    QStringList names;
    for (const AppLanguage language : AppLanguages::kAllCases) {
        names << AppLanguages::displayName(language);
    }
    return names;
}

int SettingsController::languageIndex() const {
    const auto& all = AppLanguages::kAllCases;
    return int(std::find(all.begin(), all.end(), m_localization.language()) - all.begin());
}

void SettingsController::chooseLanguage(int index) {
    if (index < 0 || index >= int(AppLanguages::kAllCases.size())) {
        return;
    }
    m_localization.setLanguage(AppLanguages::kAllCases[size_t(index)]);
}

bool SettingsController::launchAtLogin() const {
    return m_launchAtLogin.launchAtLogin();
}

void SettingsController::requestLaunchAtLogin(bool enabled) {
    m_launchAtLogin.setLaunchAtLogin(enabled);
}

void SettingsController::refreshLaunchAtLogin() {
    m_launchAtLogin.refreshFromLoginItem();
}

int SettingsController::blurStepCount() const {
    return SettingsValues::kBlurRadiusRange.stepCount();
}

int SettingsController::blurStep() const {
    return SettingsValues::kBlurRadiusRange.stepIndex(m_mask.blurRadius());
}

QString SettingsController::blurReadout() const {
    return SettingsValues::blurRadiusReadout(m_mask.blurRadius());
}

void SettingsController::setBlurStep(int step) {
    const auto& range = SettingsValues::kBlurRadiusRange;
    m_mask.setBlurRadius(range.bounded(range.valueAtStep(step)));
}

int SettingsController::scanStepCount() const {
    return SettingsValues::kOcrScanIntervalRange.stepCount();
}

int SettingsController::scanStep() const {
    return SettingsValues::kOcrScanIntervalRange.stepIndex(m_mask.scanInterval());
}

QString SettingsController::scanReadout() const {
    return SettingsValues::ocrScanIntervalReadout(m_mask.scanInterval());
}

void SettingsController::setScanStep(int step) {
    const auto& range = SettingsValues::kOcrScanIntervalRange;
    m_mask.setScanInterval(range.bounded(range.valueAtStep(step)));
}

QString SettingsController::versionLine() const {
    return SettingsValues::versionLine(UpdateChecker::currentVersion(),
                                       SettingsValues::currentBuild());
}

QStringList SettingsController::detectedPatterns() const {
    QStringList names;
    for (const SensitiveDataKind kind : kAllSensitiveDataKinds) {
        names << rawValue(kind);
    }
    return names;
}
