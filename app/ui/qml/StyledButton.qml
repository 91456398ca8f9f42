import QtQuick
import QtQuick.Templates as T
import Velarion.Ui

// The button styles the windows use: "prominent" (accent gradient, white text), "bordered"
// (glass with a border), "plain" (accent text only) and "destructive" (red); sizes "small",
// "regular" and "large". An optional leading symbol.
T.Button {
    id: control
    property string kind: "bordered"
    property string controlSize: "regular"
    property string symbol

    readonly property bool filled: kind === "prominent" || kind === "destructive"
    readonly property real fontSize: controlSize === "small" ? Theme.font.subheadline
                                   : controlSize === "large" ? Theme.font.title3 : Theme.font.body
    readonly property color baseFill: kind === "prominent" ? Theme.accentGradientStart
                                    : kind === "destructive" ? Theme.destructive
                                    : kind === "plain" ? Qt.rgba(Theme.accent.r, Theme.accent.g, Theme.accent.b, 0.1)
                                    : Theme.materialRegular
    readonly property color foreground: filled ? "white"
                                        : kind === "plain" ? Theme.accent : Theme.text

    hoverEnabled: true
    focusPolicy: Qt.StrongFocus
    leftPadding: controlSize === "small" ? 8 : controlSize === "large" ? 18 : 12
    rightPadding: leftPadding
    topPadding: controlSize === "small" ? 3 : controlSize === "large" ? 8 : 5
    bottomPadding: topPadding
    implicitWidth: Math.max(implicitBackgroundWidth, implicitContentWidth + leftPadding + rightPadding)
    implicitHeight: Math.max(implicitBackgroundHeight, implicitContentHeight + topPadding + bottomPadding)
    opacity: enabled ? 1.0 : 0.45

    LayoutMirroring.enabled: L.rightToLeft
    LayoutMirroring.childrenInherit: true

    contentItem: Row {
        spacing: 5
        Symbol {
            visible: control.symbol.length > 0
            anchors.verticalCenter: parent.verticalCenter
            name: control.symbol
            size: control.fontSize
            color: control.foreground
        }
        Text {
            anchors.verticalCenter: parent.verticalCenter
            text: control.text
            font.pixelSize: control.fontSize
            font.weight: control.filled ? Font.DemiBold : Font.Medium
            color: control.foreground
        }
    }

    background: RoundedShape {
        visible: control.kind !== "plain" || control.hovered
        radius: control.controlSize === "large" ? 10 : 7
        diagonal: true
        rightToLeft: L.rightToLeft
        fillColor: control.baseFill
        fillColor2: control.kind === "prominent" ? Theme.accentGradientEnd : control.baseFill
        strokeWidth: control.kind === "bordered" ? 1 : 0
        strokeTop: Theme.separator
        strokeBottom: Theme.separator
        opacity: control.down ? 0.75 : control.hovered ? 0.9 : 1.0
    }
}
