import QtQuick
import QtQuick.Layouts
import Velarion.Ui

// The main window: a glass sidebar with the tabs (and the update button while a newer version is
// known) beside the selected tab. The periodic mask scan runs only while the dashboard is the
// selected tab of a shown window.
Item {
    id: main
    required property QtObject appState
    required property QtObject switches
    required property QtObject maskStatus
    required property QtObject periodicScan
    required property QtObject updates
    // The Settings tab's own SettingsController and the shared UpdateController; without them
    // the tab stays empty.
    property QtObject settingsController: null
    property QtObject settingsUpdates: null
    // The dashboard camera module's WindowListController.
    property QtObject cameraWindows: null
    // Set by the host as its window is shown and hidden.
    property bool windowShown: true

    property string selectedTab: "dashboard"

    implicitWidth: 880
    implicitHeight: 640

    LayoutMirroring.enabled: L.rightToLeft
    LayoutMirroring.childrenInherit: true

    Binding {
        target: main.periodicScan
        property: "dashboardShown"
        value: main.windowShown && main.selectedTab === "dashboard"
    }

    GlassBackdrop {}

    component SidebarItem: Item {
        id: item
        property string title
        property string icon
        property bool isSelected: false
        readonly property bool hovering: hover.hovered
        signal activated()

        implicitHeight: 34
        HoverHandler { id: hover }
        TapHandler { onTapped: item.activated() }
        Rectangle {
            anchors.fill: parent
            radius: 8
            color: item.isSelected ? Qt.rgba(Theme.accent.r, Theme.accent.g, Theme.accent.b, 0.16)
                 : item.hovering ? Qt.rgba(Theme.text.r, Theme.text.g, Theme.text.b, 0.05)
                 : "transparent"
        }
        RowLayout {
            anchors.fill: parent
            anchors.leftMargin: 10
            anchors.rightMargin: 10
            spacing: 8
            Symbol { Layout.preferredWidth: 15; Layout.preferredHeight: 15; name: item.icon; color: item.isSelected ? Theme.accent : Theme.secondaryText; size: 15 }
            Text {
                Layout.fillWidth: true
                text: item.title
                font.pixelSize: Theme.font.body
                font.weight: item.isSelected ? Font.DemiBold : Font.Normal
                color: item.isSelected ? Theme.text : Theme.secondaryText
                elide: Text.ElideRight
                horizontalAlignment: Text.AlignLeft
            }
        }
    }

    RowLayout {
        anchors.fill: parent
        spacing: 0

        GlassCard {
            objectName: "sidebar"
            Layout.fillHeight: true
            Layout.preferredWidth: 210
            Layout.margins: 12
            radius: 18
            padding: 12
            material: Theme.materialThin

            contentItem: ColumnLayout {
                spacing: 4
                RowLayout {
                    Layout.bottomMargin: 14
                    spacing: 8
                    IconTile { systemName: "lock.shield.fill"; tint: Theme.accent; size: 30 }
                    Text {
                        text: "Velarion"
                        font.pixelSize: Theme.font.title3
                        font.weight: Font.Bold
                        color: Theme.text
                    }
                }
                SidebarItem {
                    objectName: "dashboardTabButton"
                    Layout.fillWidth: true
                    title: L.t("Dashboard")
                    icon: "shield.lefthalf.filled"
                    isSelected: main.selectedTab === "dashboard"
                    onActivated: main.selectedTab = "dashboard"
                }
                SidebarItem {
                    objectName: "settingsTabButton"
                    Layout.fillWidth: true
                    title: L.t("Settings")
                    icon: "gearshape.fill"
                    isSelected: main.selectedTab === "settings"
                    onActivated: main.selectedTab = "settings"
                }
                Item { Layout.fillHeight: true }
                StyledButton {
                    objectName: "sidebarUpdateButton"
                    visible: main.updates.isAvailable
                    Layout.fillWidth: true
                    kind: "prominent"
                    controlSize: "small"
                    symbol: "arrow.down.circle.fill"
                    text: L.t("Update available")
                    onClicked: Shell.openWindow("update")
                }
            }
        }

        Item {
            Layout.fillWidth: true
            Layout.fillHeight: true

            DashboardTab {
                objectName: "dashboard"
                anchors.fill: parent
                visible: main.selectedTab === "dashboard"
                appState: main.appState
                switches: main.switches
                maskStatus: main.maskStatus
                cameraWindows: main.cameraWindows
            }
            Loader {
                objectName: "settingsTab"
                anchors.fill: parent
                anchors.topMargin: 20
                visible: main.selectedTab === "settings"
                active: main.settingsController !== null && main.settingsUpdates !== null
                sourceComponent: SettingsScroller {
                    controller: main.settingsController
                    updates: main.settingsUpdates
                }
            }
        }
    }
}
