pragma Singleton
import QtQuick

// The palette every window shares (named Theme: QtQuick already has a type called Palette): the
// accent, the glass fills over the window's own colour, and the text styles in device-independent
// pixels. Light or dark follows the system's palette.
QtObject {
    id: palette

    readonly property color accent: Qt.rgba(1.0, 0.4, 0.4, 1.0)
    // The accent gradient runs from top-leading to bottom-trailing.
    readonly property color accentGradientStart: Qt.rgba(1.0, 0.48, 0.45, 1.0)
    readonly property color accentGradientEnd: Qt.rgba(0.96, 0.29, 0.36, 1.0)
    readonly property color destructive: Qt.rgba(1.0, 0.23, 0.19, 1.0)
    readonly property color green: Qt.rgba(0.2, 0.78, 0.35, 1.0)
    readonly property color orange: Qt.rgba(1.0, 0.58, 0.0, 1.0)
    readonly property color blue: Qt.rgba(0.0, 0.48, 1.0, 1.0)
    readonly property color purple: Qt.rgba(0.69, 0.32, 0.87, 1.0)
    readonly property color teal: Qt.rgba(0.19, 0.69, 0.78, 1.0)
    readonly property color indigo: Qt.rgba(0.35, 0.34, 0.84, 1.0)
    readonly property color clear: "transparent"

    property SystemPalette system: SystemPalette { colorGroup: SystemPalette.Active }

    readonly property color window: system.window
    readonly property bool dark: (window.r * 0.299 + window.g * 0.587 + window.b * 0.114) < 0.5
    readonly property color text: dark ? Qt.rgba(1, 1, 1, 0.92) : Qt.rgba(0, 0, 0, 0.86)
    readonly property color secondaryText: dark ? Qt.rgba(1, 1, 1, 0.6) : Qt.rgba(0, 0, 0, 0.55)
    readonly property color tertiaryText: dark ? Qt.rgba(1, 1, 1, 0.4) : Qt.rgba(0, 0, 0, 0.35)
    // The system's secondary colour, which dimmed icon tiles are filled with.
    readonly property color secondary: dark ? Qt.rgba(0.6, 0.6, 0.64, 1) : Qt.rgba(0.42, 0.42, 0.46, 1)
    readonly property color separator: dark ? Qt.rgba(1, 1, 1, 0.12) : Qt.rgba(0, 0, 0, 0.1)

    // Glass without a blur: translucent fills over the opaque backdrop, thickest first.
    readonly property color materialRegular: dark ? Qt.rgba(1, 1, 1, 0.08) : Qt.rgba(1, 1, 1, 0.62)
    readonly property color materialThin: dark ? Qt.rgba(1, 1, 1, 0.06) : Qt.rgba(1, 1, 1, 0.48)
    readonly property color materialUltraThin: dark ? Qt.rgba(1, 1, 1, 0.045) : Qt.rgba(1, 1, 1, 0.36)
    readonly property color backdropTop: dark ? Qt.lighter(window, 1.25) : Qt.lighter(window, 1.05)
    readonly property color backdropBottom: dark ? Qt.darker(window, 1.15) : Qt.darker(window, 1.04)

    // Text styles, in device-independent pixels.
    readonly property QtObject font: QtObject {
        readonly property real largeTitle: 26
        readonly property real title: 22
        readonly property real title2: 17
        readonly property real title3: 15
        readonly property real headline: 13
        readonly property real body: 13
        readonly property real callout: 12
        readonly property real subheadline: 11
        readonly property real footnote: 10
        readonly property real caption: 10
        readonly property real caption2: 10
    }

    // The colour as the image providers take it: a colour name without "#", alpha first.
    function hex(c) {
        return c.toString().substring(1)
    }
}
