import QtQuick
import QtQuick.Layouts
import QtQuick.Templates as T
import Velarion.Ui

// A whole-row link: icon tile, title over subtitle, and an outward arrow; brighter under the
// pointer.
T.AbstractButton {
    id: row
    property string symbol
    property color tint: Theme.accent
    property string title
    property string subtitle
    width: parent ? parent.width : implicitWidth
    padding: 12
    hoverEnabled: true
    implicitHeight: implicitContentHeight + topPadding + bottomPadding

    background: Rectangle {
        radius: 12
        color: Theme.dark ? Qt.rgba(1, 1, 1, row.hovered ? 0.06 : 0.02)
                          : Qt.rgba(0, 0, 0, row.hovered ? 0.06 : 0.02)
    }
    contentItem: RowLayout {
        spacing: 12
        IconTile {
            systemName: row.symbol
            tint: row.tint
            size: 30
        }
        Column {
            Layout.fillWidth: true
            spacing: 2
            Text {
                width: parent.width
                text: row.title
                font.pixelSize: Theme.font.body
                font.weight: Font.Medium
                color: Theme.text
            }
            Text {
                width: parent.width
                text: row.subtitle
                font.pixelSize: Theme.font.callout
                color: Theme.secondaryText
                wrapMode: Text.Wrap
            }
        }
        Symbol {
            name: "arrow.up.right"
            size: 11
            color: Theme.secondaryText
        }
    }
}
