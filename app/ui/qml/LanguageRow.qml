import QtQuick
import QtQuick.Templates as T
import Velarion.Ui

// The language picker: the five languages by their own names; choosing one turns every open
// window to it at once.
SettingsRow {
    id: row
    required property QtObject controller
    icon: "globe"
    title: L.t("Language")
    subtitle: L.t("Choose your preferred language")

    T.ComboBox {
        id: picker
        objectName: "languagePicker"
        model: row.controller.languageNames
        currentIndex: row.controller.languageIndex
        onActivated: index => row.controller.chooseLanguage(index)
        implicitWidth: Math.max(110, implicitContentWidth + leftPadding + rightPadding)
        implicitHeight: 26
        leftPadding: 10
        rightPadding: 28
        hoverEnabled: true

        contentItem: Text {
            text: picker.displayText
            font.pixelSize: Theme.font.body
            color: Theme.text
            verticalAlignment: Text.AlignVCenter
        }
        indicator: Symbol {
            x: picker.mirrored ? 10 : picker.width - width - 10
            y: (picker.height - height) / 2
            name: "chevron.down"
            size: 10
            color: Theme.secondaryText
        }
        background: Rectangle {
            radius: 7
            color: Theme.materialRegular
            border.color: Theme.separator
            opacity: picker.pressed ? 0.8 : 1.0
        }
        delegate: T.ItemDelegate {
            id: entry
            required property int index
            required property string modelData
            objectName: "language-" + index
            text: modelData
            width: ListView.view ? ListView.view.width : implicitWidth
            implicitHeight: 26
            leftPadding: 10
            rightPadding: 10
            hoverEnabled: true
            highlighted: picker.highlightedIndex === index
            contentItem: Text {
                text: entry.modelData
                font.pixelSize: Theme.font.body
                font.weight: picker.currentIndex === entry.index ? Font.DemiBold : Font.Normal
                color: entry.highlighted ? "white" : Theme.text
                verticalAlignment: Text.AlignVCenter
            }
            background: Rectangle {
                radius: 5
                color: entry.highlighted ? Theme.accent : "transparent"
            }
        }
        popup: T.Popup {
            y: picker.height + 4
            x: picker.mirrored ? picker.width - width : 0
            width: Math.max(picker.width, 160)
            implicitHeight: contentItem.implicitHeight + topPadding + bottomPadding
            padding: 4
            contentItem: ListView {
                implicitHeight: contentHeight
                interactive: false
                model: picker.popup.visible ? picker.delegateModel : null
                currentIndex: picker.highlightedIndex
            }
            background: Rectangle {
                radius: 8
                color: Theme.window
                border.color: Theme.separator
            }
        }
    }
}
