import QtQuick
import Velarion.Ui

// A soft shadow under its parent's rounded shape, drawn from a pre-blurred nine-patch image.
BorderImage {
    id: shadow
    property int cornerRadius: 12
    property int blur: 12
    property real offsetY: 6
    property color color: "black"

    readonly property int cell: 2 * blur + cornerRadius
    anchors.fill: parent
    anchors.margins: -2 * blur
    anchors.topMargin: -2 * blur + offsetY
    anchors.bottomMargin: -2 * blur - offsetY
    border { left: cell; right: cell; top: cell; bottom: cell }
    source: "image://shadow/" + cornerRadius + "/" + blur + "/" + Theme.hex(color)
    smooth: true
}
