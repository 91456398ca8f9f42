import QtQuick
import QtQuick.Layouts
import Velarion.Ui

// The dashboard: the hero panel, the three protection modules with one open detail panel at a
// time, the camera module and the on-device note.
Item {
    id: dashboard
    required property QtObject appState
    required property QtObject switches
    required property QtObject maskStatus
    // The camera module's own WindowListController; without it the module shows only its header.
    property QtObject cameraWindows: null

    // The key of the feature whose panel is open, or "".
    property string selectedFeature: ""

    readonly property var features: [
        {
            key: "desktopShield",
            title: L.t("Desktop Shield"),
            symbol: "desktopcomputer",
            tint: Theme.blue,
            tagline: L.t("Hide desktop icons during presentations"),
            description: L.t("Instantly hides all desktop icons, files, and folders so your audience only sees a clean wallpaper. Perfect for screen sharing during meetings and presentations. Uses your desktop's own setting — icons reappear automatically when you turn it off."),
            steps: [L.t("Hides the icons through your desktop's own setting"),
                    L.t("Restarts the desktop's file manager where needed to apply changes instantly"),
                    L.t("Icons are restored when you toggle off or quit the app")]
        },
        {
            key: "notificationGuard",
            title: L.t("Notification Guard"),
            symbol: "bell.slash.fill",
            tint: Theme.orange,
            tagline: L.t("Silence notifications with Do Not Disturb"),
            description: L.t("Activates Do Not Disturb mode to suppress banners, badges, and sounds. Prevents private messages, email previews, and calendar alerts from popping up while you're sharing your screen."),
            steps: [L.t("Activates your desktop's Do Not Disturb mode"),
                    L.t("Suppresses all notification banners and sounds"),
                    L.t("Automatically restores your previous state on toggle off")]
        },
        {
            key: "ocrMask",
            title: L.t("Privacy Mask (OCR)"),
            symbol: "eye.trianglebadge.exclamationmark",
            tint: Theme.purple,
            tagline: L.t("Detect and blur sensitive on-screen data"),
            description: L.t("Scans your screen with the Tesseract text recognizer to find sensitive text — emails, credit card numbers, phone numbers, and SSNs. Identified regions are highlighted so you can blur them before sharing. All processing is 100% on-device."),
            steps: [L.t("Captures a screen snapshot of the X11 display"),
                    L.t("Runs Tesseract on this computer for on-device OCR"),
                    L.t("Matches text against email, credit card, phone, and SSN patterns"),
                    L.t("Highlights detected regions for you to review and blur")]
        }
    ]

    function isOn(key) {
        switch (key) {
        case "desktopShield": return appState.isDesktopShieldActive
        case "notificationGuard": return appState.isNotificationGuardActive
        case "ocrMask": return appState.isOCRMaskingActive
        }
        return false
    }
    function flip(key, wanted) {
        switch (key) {
        case "desktopShield": switches.setDesktopShield(wanted); break
        case "notificationGuard": switches.setNotificationGuard(wanted); break
        case "ocrMask": maskStatus.setMask(wanted); break
        }
    }
    function select(key) {
        selectedFeature = selectedFeature === key ? "" : key
        // The panel's status line belongs to the panel that was open.
        maskStatus.clear()
    }

    readonly property int activeCount: (appState.isDesktopShieldActive ? 1 : 0)
                                       + (appState.isNotificationGuardActive ? 1 : 0)
                                       + (appState.isOCRMaskingActive ? 1 : 0)

    Flickable {
        id: flick
        anchors.fill: parent
        contentWidth: width
        contentHeight: column.implicitHeight + 48
        boundsBehavior: Flickable.StopAtBounds
        clip: true

        ColumnLayout {
            id: column
            x: 24
            y: 24
            width: flick.width - 48
            spacing: 12

            HeroPanel {
                objectName: "heroPanel"
                Layout.fillWidth: true
                activeCount: dashboard.activeCount
                total: dashboard.features.length
                isPresenting: dashboard.appState.isPresentationMode
                onPrimary: dashboard.switches.togglePresentation()
            }

            RowLayout {
                Layout.fillWidth: true
                Layout.topMargin: 8
                Text {
                    Layout.fillWidth: true
                    text: L.t("Protection modules")
                    font.pixelSize: Theme.font.title3
                    font.weight: Font.DemiBold
                    color: Theme.text
                    horizontalAlignment: Text.AlignLeft
                }
                Text {
                    objectName: "activeCountText"
                    text: L.f("%d active", [dashboard.activeCount])
                    font.pixelSize: Theme.font.subheadline
                    color: Theme.secondaryText
                }
            }

            Repeater {
                model: dashboard.features
                delegate: ColumnLayout {
                    id: entry
                    required property var modelData
                    readonly property bool expanded: dashboard.selectedFeature === modelData.key
                    Layout.fillWidth: true
                    spacing: 8

                    FeatureRow {
                        objectName: entry.modelData.key + "Row"
                        Layout.fillWidth: true
                        symbol: entry.modelData.symbol
                        title: entry.modelData.title
                        tagline: entry.modelData.tagline
                        tint: entry.modelData.tint
                        isActive: dashboard.isOn(entry.modelData.key)
                        isExpanded: entry.expanded
                        onTapped: dashboard.select(entry.modelData.key)
                    }
                    ExpandingPanel {
                        objectName: entry.modelData.key + "Panel"
                        Layout.fillWidth: true
                        expanded: entry.expanded
                        FeatureDetail {
                            width: parent.width
                            title: entry.modelData.title
                            description: entry.modelData.description
                            steps: entry.modelData.steps
                            isOn: dashboard.isOn(entry.modelData.key)
                            maskStatus: entry.modelData.key === "ocrMask" ? dashboard.maskStatus : null
                            onFlipRequested: (wanted) => dashboard.flip(entry.modelData.key, wanted)
                        }
                    }
                }
            }

            CameraModule {
                windowList: dashboard.cameraWindows
                Layout.fillWidth: true
            }

            RowLayout {
                Layout.fillWidth: true
                Layout.topMargin: 8
                spacing: 6
                Item { Layout.fillWidth: true }
                Symbol { Layout.preferredWidth: 12; Layout.preferredHeight: 12; name: "lock.shield.fill"; color: Theme.secondaryText; size: 12 }
                Text {
                    text: L.t("All processing happens on-device. Nothing ever leaves your computer.")
                    font.pixelSize: Theme.font.footnote
                    color: Theme.secondaryText
                }
                Item { Layout.fillWidth: true }
            }
        }
    }
}
