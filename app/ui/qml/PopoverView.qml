import QtQuick
import QtQuick.Layouts
import QtQuick.Templates as T
import Velarion.Ui

// The panel that drops from the tray icon: the four feature switches, the update row while a
// newer version is known, settings, help and Quit. Its height follows its content; before it
// opens another window it asks its host to close it (dismissRequested).
Item {
    id: popover
    required property QtObject appState
    required property QtObject switches
    required property QtObject updates
    signal dismissRequested()

    implicitWidth: 320
    implicitHeight: column.implicitHeight

    LayoutMirroring.enabled: L.rightToLeft
    LayoutMirroring.childrenInherit: true

    function openWindow(identifier, toFront) {
        dismissRequested()
        if (toFront)
            Shell.bringToFront()
        Shell.openWindow(identifier)
    }

    GlassBackdrop {}

    ColumnLayout {
        id: column
        anchors.left: parent.left
        anchors.right: parent.right
        spacing: 0

        RowLayout {
            Layout.fillWidth: true
            Layout.margins: 12
            spacing: 8
            IconTile { systemName: "lock.shield.fill"; tint: Theme.accent; size: 26 }
            Text {
                Layout.fillWidth: true
                text: "Velarion"
                font.pixelSize: Theme.font.headline
                font.weight: Font.DemiBold
                color: Theme.text
                horizontalAlignment: Text.AlignLeft
            }
            StyledButton {
                objectName: "settingsButton"
                kind: "plain"
                controlSize: "small"
                symbol: "gearshape.fill"
                onClicked: popover.openWindow("settings", true)
            }
        }

        Divider { Layout.fillWidth: true }

        Item {
            id: updateRow
            objectName: "updateRow"
            visible: popover.updates.isAvailable
            Layout.fillWidth: true
            implicitHeight: visible ? updateLayout.implicitHeight + 16 : 0

            HoverHandler { id: updateHover }
            TapHandler { onTapped: popover.openWindow("update", true) }
            Rectangle {
                anchors.fill: parent
                anchors.margins: 4
                radius: 10
                color: Qt.rgba(Theme.text.r, Theme.text.g, Theme.text.b, 0.05)
                visible: updateHover.hovered
            }
            RowLayout {
                id: updateLayout
                anchors.fill: parent
                anchors.leftMargin: 12
                anchors.rightMargin: 12
                spacing: 8
                Symbol { Layout.preferredWidth: 20; Layout.preferredHeight: 20; name: "arrow.down.circle.fill"; color: Theme.accent; size: 20 }
                ColumnLayout {
                    Layout.fillWidth: true
                    spacing: 1
                    Text {
                        Layout.fillWidth: true
                        text: L.t("Update available")
                        font.pixelSize: Theme.font.subheadline
                        font.weight: Font.DemiBold
                        color: Theme.text
                        horizontalAlignment: Text.AlignLeft
                    }
                    Text {
                        Layout.fillWidth: true
                        text: "Velarion " + popover.updates.version
                        font.pixelSize: Theme.font.caption
                        color: Theme.secondaryText
                        horizontalAlignment: Text.AlignLeft
                    }
                }
                Symbol { Layout.preferredWidth: 12; Layout.preferredHeight: 12; name: "chevron.right"; color: Theme.tertiaryText; size: 12 }
            }
        }

        Item { Layout.preferredHeight: 4 }

        ToggleRow {
            objectName: "desktopShieldRow"
            Layout.fillWidth: true
            icon: "desktopcomputer"
            title: L.t("Desktop Shield")
            subtitle: L.t("Hide desktop icons")
            tint: Theme.blue
            isOn: popover.appState.isDesktopShieldActive
            onChanged: (wanted) => popover.switches.setDesktopShield(wanted)
        }
        ToggleRow {
            objectName: "notificationGuardRow"
            Layout.fillWidth: true
            icon: "bell.slash.fill"
            title: L.t("Notification Guard")
            subtitle: L.t("Enable Do Not Disturb")
            tint: Theme.orange
            isOn: popover.appState.isNotificationGuardActive
            onChanged: (wanted) => popover.switches.setNotificationGuard(wanted)
        }
        ToggleRow {
            objectName: "broadcastRow"
            Layout.fillWidth: true
            icon: "video.fill"
            title: L.t("Broadcast Camera")
            subtitle: L.t("Share your screen, hide chosen windows")
            tint: Theme.accent
            isOn: popover.appState.isVirtualCameraActive
            onChanged: (wanted) => {
                const next = popover.switches.flipBroadcast(wanted)
                if (next.length > 0)
                    popover.openWindow(next, false)
            }
        }
        ToggleRow {
            objectName: "maskRow"
            Layout.fillWidth: true
            icon: "eye.trianglebadge.exclamationmark"
            title: L.t("Privacy Mask (OCR)")
            subtitle: L.t("Detect & blur sensitive data")
            tint: Theme.purple
            isOn: popover.appState.isOCRMaskingActive
            onChanged: (wanted) => popover.switches.setMask(wanted, "[MenuBarPopover] OCR scan failed: ")
        }

        Item { Layout.preferredHeight: 4 }
        Divider { Layout.fillWidth: true }

        RowLayout {
            Layout.fillWidth: true
            Layout.leftMargin: 12
            Layout.rightMargin: 12
            Layout.topMargin: 6
            Layout.bottomMargin: 6
            spacing: 6
            Text {
                objectName: "versionText"
                text: "v" + Qt.application.version
                font.pixelSize: Theme.font.caption
                color: Theme.secondaryText
            }
            Item { Layout.fillWidth: true }
            StyledButton {
                objectName: "helpButton"
                kind: "plain"
                controlSize: "small"
                symbol: "questionmark.circle"
                onClicked: popover.openWindow("help", false)
                T.ToolTip {
                    visible: parent.hovered
                    delay: 600
                    padding: 6
                    text: L.t("Help & guides")
                    contentItem: Text {
                        text: L.t("Help & guides")
                        font.pixelSize: Theme.font.caption
                        color: Theme.text
                    }
                    background: Rectangle {
                        radius: 6
                        color: Theme.window
                        border.color: Theme.separator
                    }
                }
            }
            StyledButton {
                objectName: "quitButton"
                kind: "plain"
                controlSize: "small"
                text: L.t("Quit")
                onClicked: Shell.quit()
            }
        }
    }
}
