import QtQuick
import QtQuick.Templates as T
import Velarion.Ui

// The settings sections in a vertical scroller: the settings window's body and the main window's
// Settings tab.
Flickable {
    id: scroller
    required property QtObject controller
    required property QtObject updates

    clip: true
    contentWidth: width
    contentHeight: content.height + 24
    boundsBehavior: Flickable.StopAtBounds
    T.ScrollBar.vertical: T.ScrollBar {
        id: bar
        width: 8
        padding: 2
        contentItem: Rectangle {
            implicitWidth: 4
            radius: 2
            color: Theme.tertiaryText
            opacity: bar.active ? 1.0 : 0.4
        }
    }
    SettingsContent {
        id: content
        x: 20
        width: scroller.width - 40
        controller: scroller.controller
        updates: scroller.updates
    }
}
