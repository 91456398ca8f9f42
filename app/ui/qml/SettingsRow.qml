import QtQuick
import QtQuick.Layouts
import Velarion.Ui

// An icon tile, a title over an optional subtitle, and a trailing control at the far end.
Item {
    id: row
    property string icon
    property color tint: Theme.accent
    property string title
    property string subtitle
    default property alias trailing: trailingHolder.data
    implicitHeight: layout.implicitHeight + 28
    width: parent ? parent.width : implicitWidth

    RowLayout {
        id: layout
        anchors.fill: parent
        anchors.margins: 14
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
                objectName: "rowSubtitle"
                width: parent.width
                visible: row.subtitle.length > 0
                text: row.subtitle
                font.pixelSize: 11
                color: Theme.secondaryText
                wrapMode: Text.Wrap
            }
        }
        Item {
            id: trailingHolder
            implicitWidth: childrenRect.width
            implicitHeight: childrenRect.height
        }
    }
}
