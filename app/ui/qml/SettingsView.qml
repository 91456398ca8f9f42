import QtQuick
import QtQuick.Templates as T
import Velarion.Ui

// The "settings" window: a header with the close button above the scrolling settings sections.
Item {
    id: view
    required property QtObject controller
    required property QtObject updates
    // The window closes itself in answer; the view cannot reach its widget.
    signal dismissRequested()
    implicitWidth: 460
    implicitHeight: 580
    LayoutMirroring.enabled: L.rightToLeft
    LayoutMirroring.childrenInherit: true

    GlassBackdrop {}

    Item {
        id: header
        width: parent.width
        height: titles.implicitHeight + 40
        Column {
            id: titles
            anchors.left: parent.left
            anchors.right: close.left
            anchors.leftMargin: 20
            anchors.rightMargin: 12
            anchors.verticalCenter: parent.verticalCenter
            spacing: 2
            Text {
                width: parent.width
                text: L.t("Settings")
                font.pixelSize: 18
                font.bold: true
                color: Theme.text
            }
            Text {
                width: parent.width
                text: L.t("Preferences and privacy options")
                font.pixelSize: Theme.font.body
                color: Theme.secondaryText
            }
        }
        CloseButton {
            id: close
            anchors.right: parent.right
            anchors.rightMargin: 20
            anchors.verticalCenter: parent.verticalCenter
            onClicked: view.dismissRequested()
        }
    }

    SettingsScroller {
        objectName: "settingsScroller"
        anchors.top: header.bottom
        anchors.bottom: parent.bottom
        width: parent.width
        controller: view.controller
        updates: view.updates
    }
}
