import QtQuick
import Velarion.Ui

// "Software update": the checker's status as a subtitle, with the control that fits it.
SettingsRow {
    id: row
    required property QtObject updates
    icon: "arrow.down.circle.fill"
    title: L.t("Software update")
    subtitle: updates.status === "checking" ? L.t("Checking…")
            : updates.status === "upToDate" ? L.t("You're on the latest version")
            : updates.status === "failed" ? L.t("Couldn't check for updates. Try again")
            : updates.status === "available" ? L.f("Version %@ is available to download", [updates.availableVersion])
            : L.t("Check whether a newer version is available")

    Item {
        implicitWidth: Math.max(checkButton.visible ? checkButton.implicitWidth : 0,
                                spinner.visible ? spinner.implicitWidth : 0,
                                downloadButton.visible ? downloadButton.implicitWidth : 0)
        implicitHeight: Math.max(checkButton.implicitHeight, downloadButton.implicitHeight)
        width: implicitWidth
        height: implicitHeight
        StyledButton {
            id: checkButton
            objectName: "checkNowButton"
            anchors.centerIn: parent
            visible: row.updates.status === "idle" || row.updates.status === "upToDate"
                     || row.updates.status === "failed"
            controlSize: "small"
            text: L.t("Check now")
            onClicked: row.updates.check()
        }
        Spinner {
            id: spinner
            objectName: "checkingSpinner"
            anchors.centerIn: parent
            visible: row.updates.status === "checking"
        }
        StyledButton {
            id: downloadButton
            objectName: "downloadButton"
            anchors.centerIn: parent
            visible: row.updates.status === "available"
            kind: "prominent"
            controlSize: "small"
            text: L.t("Download")
            onClicked: Shell.openWindow("update")
        }
    }
}
