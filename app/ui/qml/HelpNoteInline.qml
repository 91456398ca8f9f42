import QtQuick
import QtQuick.Layouts
import Velarion.Ui

// A short note on a lightly tinted strip the full width of its column.
Rectangle {
    id: note
    // An English text, possibly with ** markers.
    property string text

    implicitHeight: row.implicitHeight + 16
    radius: 10
    color: Qt.rgba(Theme.accent.r, Theme.accent.g, Theme.accent.b, 0.08)
    RowLayout {
        id: row
        anchors.fill: parent
        anchors.margins: 8
        spacing: 8
        Symbol { Layout.preferredWidth: size; Layout.preferredHeight: size; Layout.alignment: Qt.AlignTop; name: "info.circle.fill"; color: Theme.accent; size: Theme.font.caption + 2 }
        MarkdownLabel {
            Layout.fillWidth: true
            markdown: note.text
            font.pixelSize: Theme.font.caption
            color: Theme.secondaryText
        }
    }
}
