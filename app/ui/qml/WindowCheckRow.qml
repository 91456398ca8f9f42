import QtQuick
import QtQuick.Layouts
import QtQuick.Templates as T
import Velarion.Ui

// One window of a picker: the whole row is the button that ticks or unticks it. Titles and
// application names are shown as they are, never translated.
T.Button {
    id: row
    // Mirrored on its own wherever it is placed: the left alignment below then reads from the
    // right in Arabic.
    LayoutMirroring.enabled: L.rightToLeft
    LayoutMirroring.childrenInherit: true
    property string title
    property string appName
    property bool isHidden: false

    hoverEnabled: true
    padding: 8
    implicitWidth: contentItem.implicitWidth + leftPadding + rightPadding
    implicitHeight: contentItem.implicitHeight + topPadding + bottomPadding

    background: Rectangle {
        radius: 12
        color: Qt.rgba(Theme.text.r, Theme.text.g, Theme.text.b, row.hovered ? 0.08 : 0.03)
    }
    contentItem: RowLayout {
        spacing: 10
        Rectangle {
            objectName: "checkBox"
            implicitWidth: 20
            implicitHeight: 20
            radius: 5
            color: row.isHidden ? Theme.accent : "transparent"
            border.width: row.isHidden ? 0 : 1
            border.color: Theme.secondaryText
            Symbol { Layout.preferredWidth: size; Layout.preferredHeight: size; anchors.centerIn: parent; visible: row.isHidden; name: "checkmark"; color: "white"; size: 12 }
        }
        Symbol { Layout.preferredWidth: size; Layout.preferredHeight: size; name: "macwindow"; color: Theme.secondaryText; size: 16 }
        ColumnLayout {
            Layout.fillWidth: true
            spacing: 1
            Text {
                Layout.fillWidth: true
                text: row.title
                elide: Text.ElideRight
                font.pixelSize: 13
                font.weight: Font.Medium
                color: Theme.text
                horizontalAlignment: Text.AlignLeft
            }
            Text {
                Layout.fillWidth: true
                text: row.appName
                elide: Text.ElideRight
                font.pixelSize: 11
                color: Theme.secondaryText
                horizontalAlignment: Text.AlignLeft
            }
        }
        Rectangle {
            visible: row.isHidden
            implicitWidth: hiddenText.implicitWidth + 12
            implicitHeight: hiddenText.implicitHeight + 4
            radius: height / 2
            color: Qt.rgba(Theme.accent.r, Theme.accent.g, Theme.accent.b, 0.12)
            Text {
                id: hiddenText
                anchors.centerIn: parent
                text: L.t("Hidden")
                font.pixelSize: 10
                font.weight: Font.Bold
                color: Theme.accent
            }
        }
    }
}
