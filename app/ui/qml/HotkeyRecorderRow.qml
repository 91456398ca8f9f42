import QtQuick
import QtQuick.Layouts
import QtQuick.Templates as T
import Velarion.Ui

// The panic-hotkey row: a button that records a new combination, the combination in words with
// "Reset", and exactly one status line.
Column {
    id: row
    required property QtObject recorder
    width: parent ? parent.width : implicitWidth

    T.AbstractButton {
        id: recordButton
        objectName: "recordButton"
        width: row.width
        padding: 14
        hoverEnabled: true
        focusPolicy: Qt.NoFocus
        onClicked: row.recorder.toggle()
        implicitHeight: implicitContentHeight + topPadding + bottomPadding
        contentItem: RowLayout {
            spacing: 12
            IconTile {
                systemName: "bolt.shield.fill"
                size: 30
            }
            Column {
                Layout.fillWidth: true
                spacing: 2
                Text {
                    width: parent.width
                    text: L.t("Hide everything")
                    font.pixelSize: 14
                    font.weight: Font.Medium
                    color: Theme.text
                }
                Text {
                    width: parent.width
                    text: L.t("Press this anywhere to hide (then reveal) your Stealth windows")
                    font.pixelSize: 11
                    color: Theme.secondaryText
                    wrapMode: Text.Wrap
                }
            }
            Rectangle {
                objectName: "capsule"
                implicitWidth: Math.max(78, capsuleText.implicitWidth + 20)
                implicitHeight: capsuleText.implicitHeight + 10
                radius: 7
                color: Theme.materialRegular
                border.width: row.recorder.recording ? 1.5 : 1
                border.color: row.recorder.recording ? Theme.accent : Qt.rgba(1, 1, 1, 0.12)
                Text {
                    id: capsuleText
                    objectName: "capsuleText"
                    anchors.centerIn: parent
                    text: row.recorder.recording ? L.t("Press keys…") : row.recorder.displayString
                    font.family: "monospace"
                    font.pixelSize: 13
                    color: Theme.text
                }
            }
        }
    }
    Divider {
        x: L.rightToLeft ? 0 : 52
        width: row.width - 52
        opacity: 0.4
    }
    RowLayout {
        x: 14
        width: row.width - 28
        height: implicitHeight + 16
        spacing: 4
        Text {
            text: L.t("Shortcut:")
            font.pixelSize: 12
            color: Theme.secondaryText
        }
        Text {
            objectName: "shortcutText"
            text: row.recorder.displayString
            font.pixelSize: 12
            font.weight: Font.DemiBold
            color: Theme.text
        }
        Item { Layout.fillWidth: true }
        StyledButton {
            objectName: "resetButton"
            kind: "plain"
            controlSize: "small"
            text: L.t("Reset")
            onClicked: row.recorder.reset()
        }
    }
    RowLayout {
        objectName: "hotkeyStatus"
        x: 14
        width: row.width - 28
        spacing: 6
        Symbol {
            Layout.alignment: Qt.AlignTop
            name: row.recorder.status === "ready" ? "checkmark.circle.fill"
                                                  : "exclamationmark.triangle.fill"
            size: 11
            color: row.recorder.status === "ready" ? Theme.accentGradientStart : Theme.orange
            color2: row.recorder.status === "ready" ? Theme.accentGradientEnd : Theme.clear
        }
        Text {
            objectName: "statusText"
            Layout.fillWidth: true
            text: row.recorder.status === "failed"
                  ? L.t("This shortcut couldn't be registered — another app is already using it. Try a different combo.")
                  : row.recorder.status === "reserved"
                    ? L.t("This is a common desktop shortcut, so it may not trigger reliably. A less common combo is safer.")
                    : L.t("Ready and not used by another app.")
            font.pixelSize: 11
            color: Theme.secondaryText
            wrapMode: Text.Wrap
        }
    }
    Item { width: 1; height: 14 }
}
