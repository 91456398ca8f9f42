#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class HotkeyManager;
class HotkeyRecorder;
class LaunchAtLoginSetting;
class LocalizationManager;
class MaskSettings;

// What the settings sections show and change, one instance per settings view: the language, the
// login item, the two mask sliders (as whole steps of their ranges), the version line, the
// detected patterns and this view's own hot-key recorder. Values live in the shared services, so
// any number of views stay in step. GUI thread only; every reference must outlive this object.
class SettingsController final : public QObject {
    Q_OBJECT
    // The five languages by their own names, in the picker's order; never translated.
    Q_PROPERTY(QStringList languageNames READ languageNames CONSTANT)
    Q_PROPERTY(int languageIndex READ languageIndex NOTIFY languageIndexChanged)
    Q_PROPERTY(bool launchAtLogin READ launchAtLogin NOTIFY launchAtLoginChanged)
    Q_PROPERTY(int blurStepCount READ blurStepCount CONSTANT)
    Q_PROPERTY(int blurStep READ blurStep NOTIFY blurRadiusChanged)
    Q_PROPERTY(QString blurReadout READ blurReadout NOTIFY blurRadiusChanged)
    Q_PROPERTY(int scanStepCount READ scanStepCount CONSTANT)
    Q_PROPERTY(int scanStep READ scanStep NOTIFY scanIntervalChanged)
    Q_PROPERTY(QString scanReadout READ scanReadout NOTIFY scanIntervalChanged)
    // "1.4 (27)".
    Q_PROPERTY(QString versionLine READ versionLine CONSTANT)
    // The kinds of sensitive text the mask finds, by their untranslated names.
    Q_PROPERTY(QStringList detectedPatterns READ detectedPatterns CONSTANT)
    Q_PROPERTY(HotkeyRecorder* recorder READ recorder CONSTANT)

public:
    // `keyEventSource` receives the recorder's event filter (the application).
    SettingsController(LocalizationManager& localization, LaunchAtLoginSetting& launchAtLogin,
                       MaskSettings& mask, HotkeyManager& hotkeys, QObject* keyEventSource,
                       QObject* parent = nullptr);
    ~SettingsController() override;

    QStringList languageNames() const;
    int languageIndex() const;
    bool launchAtLogin() const;
    int blurStepCount() const;
    int blurStep() const;
    QString blurReadout() const;
    int scanStepCount() const;
    int scanStep() const;
    QString scanReadout() const;
    QString versionLine() const;
    QStringList detectedPatterns() const;
    HotkeyRecorder* recorder() const { return m_recorder; }

    // An index outside the five languages is ignored.
    Q_INVOKABLE void chooseLanguage(int index);
    // The switch asks for a state; a refusal by the login item springs back.
    Q_INVOKABLE void requestLaunchAtLogin(bool enabled);
    // The settings appeared: the switch follows the login item as it is now on disk.
    Q_INVOKABLE void refreshLaunchAtLogin();
    Q_INVOKABLE void setBlurStep(int step);
    Q_INVOKABLE void setScanStep(int step);

Q_SIGNALS:
    void languageIndexChanged();
    void launchAtLoginChanged();
    void blurRadiusChanged();
    void scanIntervalChanged();

private:
    LocalizationManager& m_localization;
    LaunchAtLoginSetting& m_launchAtLogin;
    MaskSettings& m_mask;
    HotkeyRecorder* m_recorder;
};
