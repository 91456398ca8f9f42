import QtQuick
import QtQuick.Layouts
import Velarion.Ui

// The window list both broadcast views share: the hidden count, the search field and a row per
// window the list controller offers, or why there is none.
ColumnLayout {
    id: picker
    // Mirrored on its own wherever it is placed: the left alignment below then reads from the
    // right in Arabic.
    LayoutMirroring.enabled: L.rightToLeft
    LayoutMirroring.childrenInherit: true
    // A WindowListController.
    required property var list
    property real listHeight: 220

    spacing: 8
    RowLayout {
        Layout.fillWidth: true
        Text {
            Layout.fillWidth: true
            text: L.t("Windows to hide").toUpperCase()
            font.pixelSize: Theme.font.caption
            font.weight: Font.DemiBold
            color: Theme.secondaryText
        }
        Text {
            objectName: "hiddenCount"
            text: L.f("%d hidden", [picker.list.hiddenCount])
            font.pixelSize: Theme.font.caption
            font.weight: Font.DemiBold
            color: picker.list.hiddenCount > 0 ? Theme.accent : Theme.secondaryText
        }
    }
    Rectangle {
        Layout.fillWidth: true
        implicitHeight: 30
        radius: 8
        color: Theme.materialThin
        border.width: 1
        border.color: Theme.separator
        RowLayout {
            anchors.fill: parent
            anchors.leftMargin: 8
            anchors.rightMargin: 8
            spacing: 6
            Symbol { Layout.preferredWidth: size; Layout.preferredHeight: size; name: "magnifyingglass"; color: Theme.secondaryText; size: 14 }
            TextInput {
                id: search
                objectName: "searchField"
                Layout.fillWidth: true
                clip: true
                text: picker.list.query
                onTextEdited: picker.list.query = text
                font.pixelSize: Theme.font.callout
                color: Theme.text
                selectByMouse: true
                horizontalAlignment: TextInput.AlignLeft
                Text {
                    anchors.fill: parent
                    visible: search.text.length === 0
                    text: L.t("Search windows")
                    font: search.font
                    color: Theme.tertiaryText
                    horizontalAlignment: search.horizontalAlignment
                }
            }
        }
    }
    Item {
        Layout.fillWidth: true
        Layout.preferredHeight: picker.listHeight
        Text {
            objectName: "emptyText"
            anchors.centerIn: parent
            visible: picker.list.emptyText.length > 0
            text: L.t(picker.list.emptyText)
            font.pixelSize: Theme.font.callout
            color: Theme.secondaryText
        }
        ListView {
            objectName: "windowList"
            anchors.fill: parent
            clip: true
            spacing: 4
            model: picker.list.rows
            delegate: WindowCheckRow {
                required property var modelData
                required property int index
                objectName: "windowRow" + index
                width: ListView.view.width
                title: modelData.title
                appName: modelData.appName
                isHidden: modelData.hidden
                onClicked: picker.list.toggle(modelData.windowId)
            }
        }
    }
}
