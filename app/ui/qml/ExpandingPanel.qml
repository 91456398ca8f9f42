import QtQuick
import Velarion.Ui

// Content that opens and closes with a spring: its height follows the content's when expanded
// and falls to nothing when not; the content is clipped while it moves.
Item {
    id: panel
    property bool expanded: false
    default property alias content: column.data

    clip: true
    implicitHeight: expanded ? column.implicitHeight : 0
    visible: implicitHeight > 0.5 || expanded
    opacity: expanded ? 1 : 0

    Behavior on implicitHeight { SpringAnimation { spring: 4; damping: 0.42; epsilon: 0.25 } }
    Behavior on opacity { NumberAnimation { duration: 160 } }

    Column {
        id: column
        width: panel.width
    }
}
