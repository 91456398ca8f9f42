import QtQuick
import QtQuick.Layouts
import Velarion.Ui

// One protection module in the dashboard's list: tile, title and tagline, an "On" badge while
// active, and a chevron that points to the side while collapsed and down while expanded. The
// whole row is one click target.
GlassCard {
    id: row
    property string symbol
    property string title
    property string tagline
    property color tint: Theme.accent
    property bool isActive: false
    property bool isExpanded: false
    readonly property bool hovering: hover.hovered
    signal tapped()

    radius: 14
    padding: 12
    highlighted: isExpanded
    material: hovering ? Theme.materialRegular : Theme.materialThin

    HoverHandler { id: hover }
    TapHandler { onTapped: row.tapped() }

    contentItem: RowLayout {
        spacing: 12
        IconTile { systemName: row.symbol; tint: row.tint; size: 36; dimmed: !row.isActive }
        ColumnLayout {
            Layout.fillWidth: true
            spacing: 2
            Text {
                Layout.fillWidth: true
                text: row.title
                font.pixelSize: Theme.font.headline
                font.weight: Font.DemiBold
                color: Theme.text
                horizontalAlignment: Text.AlignLeft
            }
            Text {
                Layout.fillWidth: true
                text: row.tagline
                font.pixelSize: Theme.font.subheadline
                color: Theme.secondaryText
                elide: Text.ElideRight
                horizontalAlignment: Text.AlignLeft
            }
        }
        PillBadge { visible: row.isActive; text: L.t("On"); tint: Theme.green }
        Symbol {
            objectName: "chevron"
            Layout.preferredWidth: 14
            Layout.preferredHeight: 14
            name: "chevron.down"
            color: Theme.secondaryText
            size: 14
            // Collapsed, it points along the reading direction.
            rotation: row.isExpanded ? 0 : (L.rightToLeft ? 90 : -90)
            Behavior on rotation { SpringAnimation { spring: 4; damping: 0.45 } }
        }
    }
}
