import QtQuick
import QtQuick.Templates as T
import Velarion.Ui

// A switch whose state belongs to the model: `on` is bound by the view, and a click (or Space)
// only asks for the other state through flipRequested(). It never changes by itself, so a
// service that refuses leaves it where it was.
T.AbstractButton {
    id: control
    property bool on: false
    signal flipRequested(bool wanted)

    checkable: false
    focusPolicy: Qt.StrongFocus
    implicitWidth: 38
    implicitHeight: 22
    hoverEnabled: true
    Accessible.role: Accessible.CheckBox
    Accessible.checkable: true
    Accessible.checked: on

    onClicked: flipRequested(!on)

    background: Rectangle {
        radius: height / 2
        color: control.on ? Theme.accent
                          : (Theme.dark ? Qt.rgba(1, 1, 1, 0.18) : Qt.rgba(0, 0, 0, 0.14))
        opacity: control.enabled ? (control.hovered ? 0.9 : 1.0) : 0.45
        Behavior on color { ColorAnimation { duration: 150 } }
    }
    contentItem: Item {
        Rectangle {
            objectName: "knob"
            width: control.height - 4
            height: width
            radius: width / 2
            y: 2
            // The knob sits on the trailing side when on, which is the left in right-to-left.
            x: (control.on !== L.rightToLeft) ? control.width - width - 2 : 2
            color: "white"
            border.color: Qt.rgba(0, 0, 0, 0.08)
            Behavior on x { SpringAnimation { spring: 5; damping: 0.45 } }
        }
    }
}
