import QtQuick
import QtQuick.Layouts
import Velarion.Ui

// The broadcast window: the live state, and either the way to the camera set-up or the guide,
// the windows to hide and the footer. What opening, Apply, Done and Stop do is the list
// controller's; Return applies.
FocusScope {
    id: view
    // A WindowListController of this window alone.
    required property var list

    implicitWidth: 480
    implicitHeight: 620
    focus: true
    LayoutMirroring.enabled: L.rightToLeft
    LayoutMirroring.childrenInherit: true

    Keys.onReturnPressed: if (view.list.dirty) view.list.apply()
    Keys.onEnterPressed: if (view.list.dirty) view.list.apply()

    GlassBackdrop {}

    ColumnLayout {
        anchors.fill: parent
        anchors.margins: 18
        spacing: 12

        RowLayout {
            spacing: 12
            IconTile { systemName: "video.fill"; tint: Theme.accent; size: 40 }
            ColumnLayout {
                Layout.fillWidth: true
                spacing: 1
                Text {
                    text: L.t("Virtual Camera")
                    font.pixelSize: Theme.font.headline
                    font.weight: Font.Bold
                    color: Theme.text
                }
                Text {
                    text: L.t("Broadcasting your screen")
                    font.pixelSize: Theme.font.subheadline
                    color: Theme.secondaryText
                }
            }
            PillBadge {
                objectName: "liveBadge"
                visible: view.list.isLive
                text: "● " + L.t("Live")
                tint: Theme.accent
            }
        }
        Divider { Layout.fillWidth: true }

        ColumnLayout {
            objectName: "setupPanel"
            visible: !view.list.isReady
            Layout.fillWidth: true
            Layout.fillHeight: true
            spacing: 10
            Item { Layout.fillHeight: true }
            Symbol { Layout.preferredWidth: size; Layout.preferredHeight: size; Layout.alignment: Qt.AlignHCenter; name: "exclamationmark.triangle.fill"; color: Theme.orange; size: 34 }
            Text {
                Layout.alignment: Qt.AlignHCenter
                text: L.t("Finish camera setup first")
                font.pixelSize: Theme.font.headline
                font.weight: Font.DemiBold
                color: Theme.text
            }
            Text {
                Layout.fillWidth: true
                horizontalAlignment: Text.AlignHCenter
                text: L.t("Screen Recording and the Camera Extension need to be enabled before you can broadcast.")
                font.pixelSize: Theme.font.callout
                color: Theme.secondaryText
                wrapMode: Text.Wrap
            }
            StyledButton {
                objectName: "openSetupButton"
                Layout.alignment: Qt.AlignHCenter
                text: L.t("Open Camera Setup")
                kind: "prominent"
                symbol: "gearshape.fill"
                onClicked: view.list.openSetup()
            }
            Item { Layout.fillHeight: true }
        }

        ColumnLayout {
            objectName: "readyPanel"
            visible: view.list.isReady
            Layout.fillWidth: true
            Layout.fillHeight: true
            spacing: 12

            GlassCard {
                objectName: "guide"
                Layout.fillWidth: true
                material: Theme.materialThin
                padding: 12
                contentItem: ColumnLayout {
                    spacing: 8
                    StepLine {
                        objectName: "guideLine1"
                        Layout.fillWidth: true
                        number: 1
                        done: view.list.isLive
                        text: "Your screen is broadcasting to the **Velarion** camera."
                    }
                    StepLine {
                        objectName: "guideLine2"
                        Layout.fillWidth: true
                        number: 2
                        done: view.list.hiddenCount > 0
                        text: "**Tick any window** below to hide it from the broadcast."
                    }
                    StepLine {
                        Layout.fillWidth: true
                        number: 3
                        text: "In Zoom, Meet or Teams, pick **Velarion** as your camera."
                    }
                }
            }

            WindowPicker {
                Layout.fillWidth: true
                list: view.list
                listHeight: 250
            }
            Item { Layout.fillHeight: true }

            RowLayout {
                Layout.fillWidth: true
                spacing: 8
                StyledButton {
                    objectName: "stopButton"
                    text: L.t("Stop broadcasting")
                    kind: "destructive"
                    symbol: "stop.fill"
                    onClicked: view.list.stopBroadcasting()
                }
                Item { Layout.fillWidth: true }
                ApplyState { list: view.list }
                StyledButton {
                    objectName: "applyButton"
                    enabled: view.list.dirty
                    text: L.t("Apply")
                    kind: "prominent"
                    symbol: "checkmark"
                    onClicked: view.list.apply()
                }
                StyledButton {
                    objectName: "doneButton"
                    text: L.t("Done")
                    kind: "bordered"
                    onClicked: view.list.done()
                }
            }
        }
    }
}
