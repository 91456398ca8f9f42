import QtQuick
import Velarion.Ui

// An indeterminate progress indicator; it animates only while visible.
Item {
    id: spinner
    property real size: 16
    property color color: Theme.secondaryText

    implicitWidth: size
    implicitHeight: size

    Item {
        id: dial
        anchors.fill: parent
        Repeater {
            model: 8
            Rectangle {
                required property int index
                width: spinner.size * 0.14
                height: spinner.size * 0.3
                radius: width / 2
                color: spinner.color
                opacity: 0.25 + 0.75 * (index / 7)
                x: (spinner.size - width) / 2
                y: 0
                transform: Rotation {
                    origin.x: width / 2
                    origin.y: spinner.size / 2
                    angle: index * 45
                }
            }
        }
        RotationAnimator on rotation {
            from: 0
            to: 360
            duration: 900
            loops: Animation.Infinite
            running: spinner.visible
        }
    }
}
