import QtQuick
import QtQuick.Layouts
import Velarion.Ui

// A numbered guide line of the broadcast window; the badge shows a check once `done`.
RowLayout {
    id: line
    property int number: 1
    property bool done: false
    // An English text with ** markers.
    property string text

    spacing: 10
    Rectangle {
        Layout.alignment: Qt.AlignTop
        implicitWidth: 20
        implicitHeight: 20
        radius: 10
        color: line.done ? Theme.accent : Theme.secondary
        Text {
            anchors.centerIn: parent
            visible: !line.done
            text: line.number
            color: "white"
            font.pixelSize: 11
            font.weight: Font.Bold
        }
        Symbol {
            Layout.preferredWidth: size
            Layout.preferredHeight: size
            anchors.centerIn: parent
            visible: line.done
            name: "checkmark"
            color: "white"
            size: 11
        }
    }
    MarkdownLabel {
        Layout.fillWidth: true
        markdown: line.text
        font.pixelSize: Theme.font.callout
    }
}
