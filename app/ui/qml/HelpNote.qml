import QtQuick
import QtQuick.Layouts
import Velarion.Ui

// A hint under a guide: a light bulb beside the (translated) text, on a faint rounded panel.
Rectangle {
    id: note
    property string text
    width: parent ? parent.width : implicitWidth
    implicitHeight: layout.implicitHeight + 20
    radius: 10
    color: Theme.materialUltraThin
    border.color: Theme.separator

    RowLayout {
        id: layout
        anchors.fill: parent
        anchors.margins: 10
        spacing: 8
        Symbol {
            Layout.alignment: Qt.AlignTop
            name: "lightbulb.fill"
            size: 11
            color: Theme.orange
        }
        Text {
            Layout.fillWidth: true
            text: note.text
            font.pixelSize: Theme.font.callout
            color: Theme.secondaryText
            wrapMode: Text.Wrap
        }
    }
}
