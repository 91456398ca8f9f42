import QtQuick
import QtQuick.Layouts
import Velarion.Ui

// "Not applied yet" while ticks wait for Apply; otherwise "Applied" while live; else nothing.
RowLayout {
    id: applyState
    // A WindowListController.
    required property var list

    spacing: 4
    visible: list.dirty || list.isLive
    Symbol {
        Layout.preferredWidth: size
        Layout.preferredHeight: size
        visible: !applyState.list.dirty
        name: "checkmark.circle.fill"
        color: Theme.accent
        color2: Theme.accentGradientEnd
        size: Theme.font.caption + 2
    }
    Text {
        objectName: "applyState"
        text: applyState.list.dirty ? L.t("Not applied yet") : L.t("Applied")
        font.pixelSize: Theme.font.caption
        color: applyState.list.dirty ? Theme.secondaryText : Theme.accent
    }
}
