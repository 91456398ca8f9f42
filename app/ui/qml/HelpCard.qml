import QtQuick
import QtQuick.Layouts
import Velarion.Ui

// A guide card: an icon tile beside the title over the subtitle, then the card's content.
GlassCard {
    id: card
    property string icon
    property color cardTint: Theme.accent
    property string title
    property string subtitle
    default property alias content: body.data
    radius: 20
    material: Theme.materialThin
    padding: 18

    contentItem: Column {
        spacing: 12
        RowLayout {
            width: parent.width
            spacing: 12
            IconTile {
                systemName: card.icon
                tint: card.cardTint
            }
            Column {
                Layout.fillWidth: true
                spacing: 2
                Text {
                    width: parent.width
                    text: card.title
                    font.pixelSize: Theme.font.title3
                    font.weight: Font.DemiBold
                    color: Theme.text
                    wrapMode: Text.Wrap
                }
                Text {
                    width: parent.width
                    text: card.subtitle
                    font.pixelSize: Theme.font.callout
                    color: Theme.secondaryText
                    wrapMode: Text.Wrap
                }
            }
        }
        Column {
            id: body
            width: parent.width
            spacing: 10
        }
    }
}
