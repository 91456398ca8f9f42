import QtQuick
import Velarion.Ui

// Placeholder for the dashboard's camera module, replaced by the broadcast work.
Item {
    objectName: "cameraModule"
    implicitHeight: 0
}
