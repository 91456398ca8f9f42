import QtQuick
import QtQuick.Layouts
import Velarion.Ui

// Every shared component on one page, in the current language and direction: for looking at the
// look as a whole and for the component tests.
Item {
    id: gallery
    implicitWidth: 620
    implicitHeight: 640

    LayoutMirroring.enabled: L.rightToLeft
    LayoutMirroring.childrenInherit: true

    // The states a person flips while looking; the components only ask.
    property bool switchOn: true
    property bool panelOpen: true

    GlassBackdrop {}

    ColumnLayout {
        anchors.fill: parent
        anchors.margins: 20
        spacing: 14

        RowLayout {
            spacing: 12
            IconTile { objectName: "tileAccent"; systemName: "lock.shield.fill"; tint: Theme.accent; size: 44 }
            IconTile { objectName: "tileOrange"; systemName: "bell.slash.fill"; tint: Theme.orange; size: 36 }
            IconTile { systemName: "eye.trianglebadge.exclamationmark"; tint: Theme.blue; size: 36 }
            IconTile { systemName: "bolt.shield.fill"; tint: Theme.purple; size: 36 }
            IconTile { objectName: "tileDimmed"; systemName: "desktopcomputer"; tint: Theme.green; size: 36; dimmed: true }
            Item { Layout.fillWidth: true }
            PillBadge { text: L.t("Live"); tint: Theme.accent; filled: true }
            PillBadge { text: L.t("On"); tint: Theme.green }
        }

        RowLayout {
            spacing: 12
            GlassCard {
                objectName: "plainCard"
                Layout.fillWidth: true
                radius: 16
                padding: 14
                contentItem: ColumnLayout {
                    spacing: 6
                    Text {
                        text: L.t("Protection modules")
                        font.pixelSize: Theme.font.headline
                        font.weight: Font.DemiBold
                        color: Theme.text
                    }
                    Text {
                        text: L.f("%d active", [2])
                        font.pixelSize: Theme.font.subheadline
                        color: Theme.secondaryText
                    }
                }
            }
            GlassCard {
                objectName: "tintedCard"
                Layout.fillWidth: true
                radius: 16
                padding: 14
                highlighted: true
                tint: Theme.accent
                contentItem: RowLayout {
                    spacing: 10
                    Text {
                        Layout.fillWidth: true
                        text: L.t("Broadcast Camera")
                        font.pixelSize: Theme.font.headline
                        font.weight: Font.DemiBold
                        color: Theme.text
                    }
                    ControlledSwitch {
                        objectName: "gallerySwitch"
                        on: gallery.switchOn
                        onFlipRequested: wanted => gallery.switchOn = wanted
                    }
                }
            }
        }

        Text {
            text: L.t("Detected patterns")
            font.pixelSize: Theme.font.body
            font.weight: Font.DemiBold
            color: Theme.text
        }
        FlowChips {
            objectName: "chips"
            Layout.fillWidth: true
            items: ["Email", "Credit Card", "Phone Number", "SSN"]
        }

        Divider { Layout.fillWidth: true }

        Flow {
            Layout.fillWidth: true
            spacing: 8
            StyledButton { text: L.t("Update & Relaunch"); kind: "prominent"; controlSize: "large" }
            StyledButton { text: L.t("Apply"); kind: "prominent" }
            StyledButton { text: L.t("Later"); kind: "bordered" }
            StyledButton { text: L.t("Open in its own window"); kind: "plain"; symbol: "arrow.up.right" }
            StyledButton { text: L.t("Stop broadcasting"); kind: "destructive"; symbol: "stop.fill" }
            StyledButton { text: L.t("Reset"); kind: "bordered"; controlSize: "small" }
        }

        RowLayout {
            spacing: 10
            Spinner { size: 16 }
            Text { text: L.t("Scanning…"); color: Theme.secondaryText; font.pixelSize: Theme.font.callout }
        }

        MarkdownLabel {
            objectName: "markdown"
            Layout.fillWidth: true
            markdown: "Your screen is broadcasting to the **Velarion** camera."
        }

        GlassCard {
            Layout.fillWidth: true
            radius: 14
            padding: 12
            contentItem: ColumnLayout {
                spacing: 8
                StyledButton {
                    objectName: "panelToggle"
                    text: L.t("How it works")
                    kind: "plain"
                    symbol: gallery.panelOpen ? "chevron.down" : "chevron.right"
                    onClicked: gallery.panelOpen = !gallery.panelOpen
                }
                ExpandingPanel {
                    objectName: "panel"
                    Layout.fillWidth: true
                    expanded: gallery.panelOpen
                    MarkdownLabel {
                        width: parent.width
                        markdown: "Tick windows to hide, then choose **Velarion** as your camera in Zoom, Meet or Teams."
                        color: Theme.secondaryText
                    }
                }
            }
        }

        Item { Layout.fillHeight: true }
    }
}
