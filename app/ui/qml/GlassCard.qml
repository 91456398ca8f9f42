import QtQuick
import QtQuick.Templates as T
import Velarion.Ui

// A translucent "glass" card around its contentItem: the material fill, a faint tint layer when a
// tint is given, a border that fades from top to bottom, and a soft shadow.
T.Control {
    id: card

    property real radius: 16
    property color material: Theme.materialRegular
    property real strokeOpacity: 0.12
    property bool highlighted: false
    // The clear colour draws no tint layer at all.
    property color tint: Theme.clear

    implicitWidth: Math.max(implicitBackgroundWidth, implicitContentWidth + leftPadding + rightPadding)
    implicitHeight: Math.max(implicitBackgroundHeight, implicitContentHeight + topPadding + bottomPadding)
    padding: 0

    background: Item {
        Shadow {
            objectName: "cardShadow"
            cornerRadius: Math.round(card.radius)
            blur: card.highlighted ? 18 : 12
            offsetY: card.highlighted ? 8 : 6
            opacity: 0.12
        }
        RoundedShape {
            anchors.fill: parent
            radius: card.radius
            fillColor: card.material
        }
        RoundedShape {
            objectName: "tintLayer"
            anchors.fill: parent
            visible: card.tint.a > 0
            radius: card.radius
            fillColor: Qt.rgba(card.tint.r, card.tint.g, card.tint.b, card.tint.a * 0.1)
        }
        RoundedShape {
            objectName: "cardBorder"
            anchors.fill: parent
            radius: card.radius
            strokeWidth: card.highlighted ? 1.5 : 1
            strokeTop: Qt.rgba(1, 1, 1, card.highlighted ? 0.45 : 2 * card.strokeOpacity)
            strokeBottom: Qt.rgba(1, 1, 1, 0.5 * card.strokeOpacity)
        }
    }
}
