import QtQuick
import QtQuick.Templates as T
import Velarion.Ui

// The round close button of a window's header.
T.AbstractButton {
    id: control
    objectName: "closeButton"
    implicitWidth: 26
    implicitHeight: 26
    hoverEnabled: true
    background: Rectangle {
        radius: width / 2
        color: Theme.materialThin
        border.color: Theme.separator
        border.width: 1
        opacity: control.down ? 0.7 : 1.0
    }
    contentItem: Item {
        Symbol {
            anchors.centerIn: parent
            name: "xmark"
            size: 11
            color: Theme.secondaryText
        }
    }
}
