import QtQuick
import Velarion.Ui

// A hairline between sections.
Rectangle {
    implicitHeight: 1
    implicitWidth: 100
    color: Theme.separator
}
