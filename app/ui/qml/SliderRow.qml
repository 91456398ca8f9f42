import QtQuick
import QtQuick.Layouts
import QtQuick.Templates as T
import Velarion.Ui

// A settings row with a readout and a slider over whole steps 0…stepCount. The model owns the
// value: the slider shows `step` and reports a move through stepMoved(); it never stores itself.
Item {
    id: row
    property string icon
    property color tint: Theme.accent
    property string title
    property string subtitle
    property int step
    property int stepCount
    property string readout
    property alias slider: control
    signal stepMoved(int step)
    implicitHeight: layout.implicitHeight + 28
    width: parent ? parent.width : implicitWidth

    ColumnLayout {
        id: layout
        anchors.fill: parent
        anchors.margins: 14
        spacing: 10
        RowLayout {
            spacing: 12
            IconTile {
                systemName: row.icon
                tint: row.tint
                size: 30
            }
            Column {
                Layout.fillWidth: true
                spacing: 2
                Text {
                    width: parent.width
                    text: row.title
                    font.pixelSize: 14
                    font.weight: Font.Medium
                    color: Theme.text
                    elide: Text.ElideRight
                }
                Text {
                    width: parent.width
                    visible: row.subtitle.length > 0
                    text: row.subtitle
                    font.pixelSize: 11
                    color: Theme.secondaryText
                    wrapMode: Text.Wrap
                }
            }
            Text {
                objectName: "readout"
                Layout.minimumWidth: 34
                horizontalAlignment: Text.AlignRight
                text: row.readout
                font.pixelSize: 14
                font.weight: Font.DemiBold
                color: Theme.accent
            }
        }
        T.Slider {
            id: control
            objectName: "slider"
            Layout.fillWidth: true
            from: 0
            to: row.stepCount
            stepSize: 1
            snapMode: T.Slider.SnapAlways
            value: row.step
            implicitHeight: 22
            onMoved: row.stepMoved(Math.round(value))

            background: Item {
                x: control.leftPadding
                y: control.topPadding + control.availableHeight / 2 - height / 2
                width: control.availableWidth
                height: 4
                Rectangle {
                    anchors.fill: parent
                    radius: 2
                    color: Theme.separator
                }
                Rectangle {
                    // The filled part grows from the leading edge: the right in right-to-left.
                    x: control.mirrored ? parent.width - width : 0
                    width: control.position * parent.width
                    height: parent.height
                    radius: 2
                    gradient: Gradient {
                        orientation: Gradient.Horizontal
                        GradientStop { position: 0.0; color: Theme.accentGradientStart }
                        GradientStop { position: 1.0; color: Theme.accentGradientEnd }
                    }
                }
            }
            handle: Rectangle {
                x: control.leftPadding + control.visualPosition * (control.availableWidth - width)
                y: control.topPadding + control.availableHeight / 2 - height / 2
                implicitWidth: 18
                implicitHeight: 18
                radius: 9
                color: "white"
                border.color: Qt.rgba(0, 0, 0, control.pressed ? 0.25 : 0.12)
            }
        }
    }
}
