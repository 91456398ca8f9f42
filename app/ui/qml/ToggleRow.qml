import QtQuick
import QtQuick.Layouts
import Velarion.Ui

// One feature switch of the popover: icon tile, title over subtitle, and a switch that shows
// `isOn` and only asks for the other state through changed(); the caller decides.
Item {
    id: row
    property string icon
    property string title
    property string subtitle
    property bool isOn: false
    property color tint: Theme.accent
    readonly property bool hovering: hover.hovered
    signal changed(bool wanted)

    implicitHeight: layout.implicitHeight + 16
    implicitWidth: layout.implicitWidth + 24

    HoverHandler { id: hover }

    Rectangle {
        anchors.fill: parent
        anchors.leftMargin: 6
        anchors.rightMargin: 6
        radius: 10
        color: Qt.rgba(Theme.text.r, Theme.text.g, Theme.text.b, 0.05)
        visible: row.hovering
    }

    RowLayout {
        id: layout
        anchors.fill: parent
        anchors.leftMargin: 12
        anchors.rightMargin: 12
        spacing: 10

        IconTile { systemName: row.icon; tint: row.tint; size: 30 }
        ColumnLayout {
            Layout.fillWidth: true
            spacing: 1
            Text {
                Layout.fillWidth: true
                text: row.title
                font.pixelSize: Theme.font.subheadline
                font.weight: Font.Medium
                color: Theme.text
                elide: Text.ElideRight
                horizontalAlignment: Text.AlignLeft
            }
            Text {
                Layout.fillWidth: true
                text: row.subtitle
                font.pixelSize: Theme.font.caption
                color: Theme.secondaryText
                elide: Text.ElideRight
                horizontalAlignment: Text.AlignLeft
            }
        }
        ControlledSwitch {
            objectName: row.objectName + "Switch"
            on: row.isOn
            onFlipRequested: (wanted) => row.changed(wanted)
        }
    }
}
