import QtQuick
import QtQuick.Layouts
import Velarion.Ui

// The dashboard's broadcast camera card: the switch, the chevron and, below, the window list with
// its own Apply. `windowList` is a WindowListController of this card alone; without one the card
// shows its header only.
GlassCard {
    id: card
    objectName: "cameraModule"
    property var windowList: null
    property bool expanded: false

    readonly property bool live: windowList ? windowList.isLive : false
    readonly property int hiddenCount: windowList ? windowList.hiddenCount : 0

    radius: 16
    padding: 14
    highlighted: live
    tint: live ? Theme.accent : Theme.clear

    contentItem: ColumnLayout {
        spacing: 10
        RowLayout {
            spacing: 12
            IconTile { systemName: "video.fill"; tint: Theme.accent; size: 40; dimmed: !card.live }
            ColumnLayout {
                Layout.fillWidth: true
                spacing: 1
                Text {
                    Layout.fillWidth: true
                    text: L.t("Broadcast Camera")
                    font.pixelSize: Theme.font.headline
                    font.weight: Font.DemiBold
                    color: Theme.text
                }
                Text {
                    objectName: "moduleSubtitle"
                    Layout.fillWidth: true
                    text: card.live ? L.f("Live — %d window(s) hidden", [card.hiddenCount])
                                    : L.t("Share your screen, hide chosen windows")
                    font.pixelSize: Theme.font.subheadline
                    color: Theme.secondaryText
                    elide: Text.ElideRight
                }
            }
            ControlledSwitch {
                objectName: "moduleSwitch"
                on: card.live
                enabled: card.windowList !== null
                onFlipRequested: wanted => {
                    if (card.windowList.flip(wanted) === "started")
                        card.expanded = true
                }
            }
            StyledButton {
                objectName: "moduleChevron"
                kind: "plain"
                controlSize: "small"
                symbol: card.expanded ? "chevron.down" : "chevron.right"
                enabled: card.windowList !== null
                onClicked: {
                    card.expanded = !card.expanded
                    if (card.expanded)
                        card.windowList.refresh()
                }
            }
        }
        ExpandingPanel {
            objectName: "modulePanel"
            Layout.fillWidth: true
            expanded: card.expanded && card.windowList !== null

            ColumnLayout {
                width: parent.width
                spacing: 10
                HelpNoteInline {
                    Layout.fillWidth: true
                    text: "Tick windows to hide, then choose **Velarion** as your camera in Zoom, Meet or Teams."
                }
                Loader {
                    Layout.fillWidth: true
                    active: card.windowList !== null
                    sourceComponent: WindowPicker { list: card.windowList; listHeight: 180 }
                }
                RowLayout {
                    Layout.fillWidth: true
                    spacing: 8
                    StyledButton {
                        objectName: "openWindowButton"
                        text: L.t("Open in its own window")
                        kind: "plain"
                        symbol: "macwindow.on.rectangle"
                        onClicked: Shell.openWindow("broadcast")
                    }
                    Item { Layout.fillWidth: true }
                    Loader {
                        active: card.windowList !== null
                        sourceComponent: ApplyState { list: card.windowList }
                    }
                    StyledButton {
                        objectName: "moduleApply"
                        enabled: card.windowList !== null && card.windowList.dirty && card.windowList.isLive
                        text: L.t("Apply")
                        kind: "prominent"
                        controlSize: "small"
                        symbol: "checkmark"
                        onClicked: card.windowList.apply()
                    }
                }
            }
        }
    }
}
