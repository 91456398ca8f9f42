import QtQuick
import QtQuick.Layouts
import Velarion.Ui

// Numbered steps: each English step looked up and drawn as inline Markdown beside its number,
// counted from 1, on an accent badge.
Column {
    id: steps
    property var keys: []
    width: parent ? parent.width : implicitWidth
    spacing: 8

    Repeater {
        model: steps.keys
        delegate: RowLayout {
            id: step
            required property int index
            required property string modelData
            width: steps.width
            spacing: 10
            Rectangle {
                objectName: "stepBadge"
                Layout.alignment: Qt.AlignTop
                implicitWidth: 20
                implicitHeight: 20
                radius: 6
                color: Theme.accent
                Text {
                    objectName: "stepNumber"
                    anchors.centerIn: parent
                    text: step.index + 1
                    font.pixelSize: 11
                    font.bold: true
                    color: "white"
                }
            }
            MarkdownLabel {
                objectName: "stepText"
                Layout.fillWidth: true
                markdown: step.modelData
            }
        }
    }
}
