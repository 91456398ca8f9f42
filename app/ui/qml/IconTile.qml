import QtQuick
import Velarion.Ui

// A coloured rounded tile with a white symbol: the tint's gradient and a tinted shadow, or, when
// dimmed, the secondary colour's and a black one whatever the tint.
Item {
    id: tile
    property string systemName
    property color tint: Theme.accent
    property real size: 36
    property bool dimmed: false

    readonly property color shadowColor: dimmed ? "black" : tint

    implicitWidth: size
    implicitHeight: size
    width: size
    height: size

    Shadow {
        objectName: "tileShadow"
        cornerRadius: Math.round(0.28 * tile.size)
        blur: 6
        offsetY: 3
        color: tile.shadowColor
        opacity: 0.3
    }
    RoundedShape {
        objectName: "tileFill"
        anchors.fill: parent
        radius: 0.28 * tile.size
        diagonal: true
        rightToLeft: L.rightToLeft
        fillColor: tile.dimmed ? Qt.rgba(Theme.secondary.r, Theme.secondary.g, Theme.secondary.b, 0.35)
                               : tile.tint
        fillColor2: tile.dimmed ? Qt.rgba(Theme.secondary.r, Theme.secondary.g, Theme.secondary.b, 0.22)
                                : Qt.rgba(tile.tint.r, tile.tint.g, tile.tint.b, 0.7 * tile.tint.a)
        strokeWidth: 0.5
        strokeTop: Qt.rgba(1, 1, 1, 0.25)
        strokeBottom: Qt.rgba(1, 1, 1, 0.25)
    }
    Symbol {
        anchors.centerIn: parent
        name: tile.systemName
        color: "white"
        size: 0.42 * tile.size
    }
}
