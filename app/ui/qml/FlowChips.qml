import QtQuick
import Velarion.Ui

// Chips that wrap over as many lines as the width needs, 8 pixels apart both ways, each a tick in
// the accent gradient and its text on a glass capsule. Lines run right to left in Arabic.
Flow {
    id: flow
    property var items: []

    spacing: 8
    // Mirroring (not an explicit direction) turns the lines, so the chips run right to left in
    // Arabic whether or not the view around them mirrors too.
    LayoutMirroring.enabled: L.rightToLeft
    LayoutMirroring.childrenInherit: true

    Repeater {
        model: flow.items
        delegate: Rectangle {
            objectName: "chip"
            required property string modelData
            implicitWidth: chipRow.implicitWidth + 20
            implicitHeight: chipRow.implicitHeight + 10
            radius: height / 2
            color: Theme.materialUltraThin
            border.color: Qt.rgba(1, 1, 1, 0.08)
            border.width: 1

            Row {
                id: chipRow
                anchors.centerIn: parent
                spacing: 5
                Symbol {
                    anchors.verticalCenter: parent.verticalCenter
                    name: "checkmark.circle.fill"
                    size: 11
                    color: Theme.accentGradientStart
                    color2: Theme.accentGradientEnd
                }
                Text {
                    anchors.verticalCenter: parent.verticalCenter
                    text: modelData
                    font.pixelSize: 12
                    font.weight: Font.Medium
                    color: Theme.text
                }
            }
        }
    }
}
