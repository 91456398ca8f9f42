import QtQuick
import QtQuick.Layouts
import Velarion.Ui

// The open panel under a feature row: what the feature does, how, and its switch; for the mask
// also "Scan Now" with the status line of the panel's scans (maskStatus).
GlassCard {
    id: detail
    property string title
    property string description
    property var steps: []
    property bool isOn: false
    property QtObject maskStatus: null
    signal flipRequested(bool wanted)

    radius: 14
    padding: 16
    material: Theme.materialUltraThin

    contentItem: ColumnLayout {
        spacing: 8

        Text {
            Layout.fillWidth: true
            text: L.t("About")
            font.pixelSize: Theme.font.subheadline
            font.weight: Font.DemiBold
            color: Theme.secondaryText
            horizontalAlignment: Text.AlignLeft
        }
        Text {
            Layout.fillWidth: true
            text: detail.description
            font.pixelSize: Theme.font.body
            color: Theme.text
            wrapMode: Text.WordWrap
            horizontalAlignment: Text.AlignLeft
        }
        Text {
            Layout.fillWidth: true
            Layout.topMargin: 4
            text: L.t("How it works")
            font.pixelSize: Theme.font.subheadline
            font.weight: Font.DemiBold
            color: Theme.secondaryText
            horizontalAlignment: Text.AlignLeft
        }
        Repeater {
            model: detail.steps
            delegate: RowLayout {
                required property string modelData
                required property int index
                Layout.fillWidth: true
                spacing: 8
                Text {
                    Layout.alignment: Qt.AlignTop
                    text: (index + 1) + "."
                    font.pixelSize: Theme.font.body
                    font.weight: Font.DemiBold
                    color: Theme.accent
                }
                Text {
                    Layout.fillWidth: true
                    text: modelData
                    font.pixelSize: Theme.font.body
                    color: Theme.text
                    wrapMode: Text.WordWrap
                    horizontalAlignment: Text.AlignLeft
                }
            }
        }
        Divider { Layout.fillWidth: true; Layout.topMargin: 4 }
        RowLayout {
            Layout.fillWidth: true
            spacing: 10
            Text {
                Layout.fillWidth: true
                text: detail.title
                font.pixelSize: Theme.font.body
                font.weight: Font.Medium
                color: Theme.text
                horizontalAlignment: Text.AlignLeft
            }
            ControlledSwitch {
                objectName: "featureSwitch"
                on: detail.isOn
                onFlipRequested: (wanted) => detail.flipRequested(wanted)
            }
        }
        RowLayout {
            visible: detail.maskStatus !== null
            Layout.fillWidth: true
            spacing: 10
            StyledButton {
                objectName: "scanNowButton"
                kind: "bordered"
                controlSize: "small"
                symbol: "doc.text.magnifyingglass"
                text: L.t("Scan Now")
                onClicked: detail.maskStatus.scanNow()
            }
            Text {
                objectName: "scanStatus"
                Layout.fillWidth: true
                font.pixelSize: Theme.font.subheadline
                color: Theme.secondaryText
                elide: Text.ElideRight
                horizontalAlignment: Text.AlignLeft
                text: {
                    const s = detail.maskStatus
                    if (s === null)
                        return ""
                    switch (s.line) {
                    case "failed": return L.f("Scan failed: %@", [s.errorDescription])
                    case "noImage": return L.t("Could not capture screen")
                    case "masking": return L.f("Masking %d sensitive region(s)", [s.count])
                    case "scanning": return L.t("Scanning…")
                    default: return L.f("%d sensitive region(s) found", [s.count])
                    }
                }
            }
        }
    }
}
