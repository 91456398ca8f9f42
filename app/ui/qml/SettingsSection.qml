import QtQuick
import Velarion.Ui

// A titled group of settings rows on one glass card; rows are stacked without spacing.
Column {
    id: section
    property string title
    default property alias rows: rowColumn.data
    spacing: 8

    Text {
        x: 4
        width: section.width - 8
        text: section.title.toUpperCase()
        font.pixelSize: Theme.font.subheadline
        font.weight: Font.DemiBold
        font.letterSpacing: 0.6
        color: Theme.secondaryText
    }
    GlassCard {
        width: section.width
        radius: 20
        material: Theme.materialThin
        contentItem: Column {
            id: rowColumn
            width: section.width
        }
    }
}
