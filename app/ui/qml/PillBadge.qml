import QtQuick
import Velarion.Ui

// A small upper-case capsule label: white on the tint when filled, the tint on its pale wash
// otherwise.
Rectangle {
    id: badge
    property string text
    property color tint: Theme.accent
    property bool filled: false

    implicitWidth: label.implicitWidth + 16
    implicitHeight: label.implicitHeight + 6
    radius: height / 2
    color: filled ? tint : Qt.rgba(tint.r, tint.g, tint.b, 0.15)

    Text {
        id: label
        anchors.centerIn: parent
        text: badge.text
        font.pixelSize: Theme.font.caption2
        font.bold: true
        font.capitalization: Font.AllUppercase
        font.letterSpacing: 0.4
        color: badge.filled ? "white" : badge.tint
    }
}
