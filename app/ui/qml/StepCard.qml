import QtQuick
import QtQuick.Layouts
import Velarion.Ui

// One numbered step of the camera set-up: a badge with the number (a check once done), the step's
// symbol and title, its detail and, below, what the step's state offers.
GlassCard {
    id: card
    property int number: 1
    // "pending", "actionNeeded", "working" or "done".
    property string stepState: "pending"
    property string symbolName
    property string title
    property string detail
    default property alias content: extra.data

    radius: 16
    padding: 16
    contentItem: RowLayout {
        spacing: 14
        Rectangle {
            Layout.alignment: Qt.AlignTop
            implicitWidth: 28
            implicitHeight: 28
            radius: 14
            gradient: Gradient {
                orientation: Gradient.Horizontal
                GradientStop { position: 0; color: Theme.accentGradientStart }
                GradientStop { position: 1; color: Theme.accentGradientEnd }
            }
            Text {
                anchors.centerIn: parent
                visible: card.stepState !== "done"
                text: card.number
                color: "white"
                font.pixelSize: Theme.font.callout
                font.weight: Font.Bold
            }
            Symbol {
                Layout.preferredWidth: size
                Layout.preferredHeight: size
                anchors.centerIn: parent
                visible: card.stepState === "done"
                name: "checkmark"
                color: "white"
                size: 14
            }
        }
        ColumnLayout {
            Layout.fillWidth: true
            spacing: 6
            RowLayout {
                spacing: 8
                Symbol { Layout.preferredWidth: size; Layout.preferredHeight: size; name: card.symbolName; color: Theme.accent; size: 18 }
                Text {
                    Layout.fillWidth: true
                    text: card.title
                    font.pixelSize: Theme.font.headline
                    font.weight: Font.DemiBold
                    color: Theme.text
                    wrapMode: Text.Wrap
                }
            }
            Text {
                Layout.fillWidth: true
                text: card.detail
                font.pixelSize: Theme.font.caption
                color: Theme.secondaryText
                wrapMode: Text.Wrap
            }
            ColumnLayout {
                id: extra
                Layout.fillWidth: true
                Layout.topMargin: 4
                spacing: 8
            }
        }
    }
}
