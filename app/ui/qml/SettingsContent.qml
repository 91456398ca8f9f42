import QtQuick
import QtQuick.Layouts
import Velarion.Ui

// Every settings section, shown by the settings window and by the main window's Settings tab.
// `controller` is this view's SettingsController (its own hot-key recorder), `updates` the shared
// UpdateController. The login item is read again each time the sections appear; a recording in
// progress ends when they disappear (window hidden, tab switched away, view destroyed).
Column {
    id: content
    objectName: "settingsContent"
    required property QtObject controller
    required property QtObject updates
    readonly property bool shown: visible && Window.visibility !== Window.Hidden
    spacing: 22
    // Mirrored on its own, whichever window hosts it.
    LayoutMirroring.enabled: L.rightToLeft
    LayoutMirroring.childrenInherit: true

    onShownChanged: {
        if (shown)
            controller.refreshLaunchAtLogin()
        else
            controller.recorder.stop()
    }
    Component.onCompleted: if (shown) controller.refreshLaunchAtLogin()
    Component.onDestruction: if (controller) controller.recorder.stop()

    SettingsSection {
        width: content.width
        title: L.t("Language")
        LanguageRow {
            controller: content.controller
        }
    }
    SettingsSection {
        width: content.width
        title: L.t("General")
        SettingsRow {
            icon: "power"
            title: L.t("Launch at login")
            subtitle: L.t("Open Velarion automatically when you sign in")
            ControlledSwitch {
                objectName: "launchAtLoginSwitch"
                on: content.controller.launchAtLogin
                onFlipRequested: wanted => content.controller.requestLaunchAtLogin(wanted)
            }
        }
    }
    SettingsSection {
        width: content.width
        title: L.t("Window blur")
        SliderRow {
            objectName: "blurRow"
            icon: "drop.fill"
            title: L.t("Blur intensity")
            subtitle: L.t("Strength of the mask over sensitive windows")
            step: content.controller.blurStep
            stepCount: content.controller.blurStepCount
            readout: content.controller.blurReadout
            onStepMoved: step => content.controller.setBlurStep(step)
        }
    }
    SettingsSection {
        width: content.width
        title: L.t("OCR privacy mask")
        SliderRow {
            objectName: "scanRow"
            icon: "timer"
            title: L.t("Scan interval")
            subtitle: L.t("How often the screen is re-scanned for sensitive text")
            step: content.controller.scanStep
            stepCount: content.controller.scanStepCount
            readout: content.controller.scanReadout
            onStepMoved: step => content.controller.setScanStep(step)
        }
        Divider {
            x: L.rightToLeft ? 0 : 52
            width: content.width - 52
            opacity: 0.4
        }
        Column {
            x: 14
            width: content.width - 28
            topPadding: 14
            bottomPadding: 14
            spacing: 10
            Text {
                width: parent.width
                text: L.t("Detected patterns")
                font.pixelSize: Theme.font.body
                font.weight: Font.DemiBold
                color: Theme.text
            }
            FlowChips {
                objectName: "patternChips"
                width: parent.width
                items: content.controller.detectedPatterns
            }
        }
    }
    SettingsSection {
        width: content.width
        title: L.t("Panic hotkey")
        HotkeyRecorderRow {
            recorder: content.controller.recorder
        }
    }
    SettingsSection {
        width: content.width
        title: L.t("About")
        SettingsRow {
            icon: "info.circle.fill"
            tint: Theme.secondary
            title: L.t("Version")
            Text {
                objectName: "versionText"
                text: content.controller.versionLine
                font.pixelSize: Theme.font.body
                color: Theme.secondaryText
            }
        }
        Divider {
            x: L.rightToLeft ? 0 : 52
            width: content.width - 52
            opacity: 0.4
        }
        UpdateRow {
            objectName: "updateRow"
            updates: content.updates
        }
        Divider {
            x: L.rightToLeft ? 0 : 52
            width: content.width - 52
            opacity: 0.4
        }
        RowLayout {
            x: 14
            width: content.width - 28
            height: implicitHeight + 28
            spacing: 8
            Symbol {
                name: "lock.shield.fill"
                size: Theme.font.caption + 2
                color: Theme.accentGradientStart
                color2: Theme.accentGradientEnd
            }
            Text {
                Layout.fillWidth: true
                text: L.t("All processing happens on-device. Nothing leaves your computer.")
                font.pixelSize: 12
                color: Theme.secondaryText
                wrapMode: Text.Wrap
            }
        }
    }
}
