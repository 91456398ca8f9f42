import QtQuick
import Velarion.Ui

// Placeholder for the settings sections, replaced by the settings work.
Item {
    objectName: "settingsContent"
}
