import QtQuick
import QtQuick.Layouts
import QtQuick.Templates as T
import Velarion.Ui

// The "update" window: a confirmation when there is nothing to install, else the new version,
// its notes (as published, never translated) and a footer that follows the installer's phase.
// Its height follows the content: the window takes implicitHeight.
Item {
    id: view
    required property QtObject updates
    signal dismissRequested()
    readonly property bool available: updates.status === "available"
    implicitWidth: 460
    implicitHeight: available ? 560 : 300
    LayoutMirroring.enabled: L.rightToLeft
    LayoutMirroring.childrenInherit: true

    function downloadManually() {
        updates.downloadManually()
        view.dismissRequested()
    }

    GlassBackdrop {}

    Column {
        objectName: "upToDate"
        visible: !view.available
        anchors.centerIn: parent
        spacing: 14
        Symbol {
            anchors.horizontalCenter: parent.horizontalCenter
            name: "checkmark.seal.fill"
            size: 40
            color: Theme.accent
        }
        Text {
            anchors.horizontalCenter: parent.horizontalCenter
            text: L.t("You're up to date")
            font.pixelSize: Theme.font.title3
            font.weight: Font.DemiBold
            color: Theme.text
        }
        StyledButton {
            objectName: "closeUpToDateButton"
            anchors.horizontalCenter: parent.horizontalCenter
            controlSize: "large"
            text: L.t("Close")
            onClicked: view.dismissRequested()
        }
    }

    ColumnLayout {
        visible: view.available
        anchors.fill: parent
        spacing: 0

        RowLayout {
            Layout.fillWidth: true
            Layout.margins: 20
            spacing: 12
            IconTile {
                systemName: "arrow.down.circle.fill"
            }
            Column {
                Layout.fillWidth: true
                spacing: 2
                Text {
                    width: parent.width
                    text: L.t("Update available")
                    font.pixelSize: Theme.font.title3
                    font.bold: true
                    color: Theme.text
                }
                Text {
                    objectName: "versionsLine"
                    width: parent.width
                    text: L.f("Velarion %@ is available. You have %@.",
                              [view.updates.availableVersion, view.updates.currentVersion])
                    font.pixelSize: 12
                    color: Theme.secondaryText
                    wrapMode: Text.Wrap
                }
            }
            CloseButton {
                onClicked: view.dismissRequested()
            }
        }
        Divider {
            Layout.fillWidth: true
            opacity: 0.5
        }
        ColumnLayout {
            Layout.fillWidth: true
            Layout.fillHeight: true
            Layout.margins: 20
            spacing: 8
            Text {
                text: L.t("What's new")
                font.pixelSize: 13
                font.weight: Font.DemiBold
                font.letterSpacing: 0.6
                color: Theme.secondaryText
            }
            Flickable {
                id: notesScroller
                Layout.fillWidth: true
                Layout.fillHeight: true
                clip: true
                contentWidth: width
                contentHeight: notes.implicitHeight
                boundsBehavior: Flickable.StopAtBounds
                MarkdownLabel {
                    id: notes
                    objectName: "releaseNotes"
                    width: notesScroller.width
                    font.pixelSize: 13
                    // Release notes are shown as published; only the fallback is an interface text.
                    text: view.updates.releaseNotes.length > 0
                          ? Texts.markdownOf(view.updates.releaseNotes)
                          : L.md("This release includes improvements and bug fixes.")
                }
            }
        }
        Divider {
            Layout.fillWidth: true
            opacity: 0.5
        }
        Item {
            objectName: "footer"
            Layout.fillWidth: true
            Layout.margins: 20
            implicitHeight: Math.max(idleFooter.implicitHeight, downloadingFooter.implicitHeight,
                                     failedFooter.visible ? failedFooter.implicitHeight : 0, 36)

            ColumnLayout {
                id: idleFooter
                objectName: "idleFooter"
                anchors.fill: parent
                visible: view.updates.phase === "idle"
                spacing: 10
                Text {
                    objectName: "packageManagerText"
                    Layout.fillWidth: true
                    visible: view.updates.updatedByPackageManager
                    text: L.t("Updates for this copy come from your package manager.")
                    font.pixelSize: Theme.font.body
                    color: Theme.secondaryText
                    wrapMode: Text.Wrap
                }
                RowLayout {
                    Layout.fillWidth: true
                    spacing: 14
                    StyledButton {
                        objectName: "laterButton"
                        kind: "plain"
                        text: L.t("Later")
                        onClicked: view.dismissRequested()
                    }
                    StyledButton {
                        objectName: "downloadManuallyButton"
                        kind: "plain"
                        text: L.t("Download manually")
                        onClicked: view.downloadManually()
                    }
                    Item { Layout.fillWidth: true }
                    StyledButton {
                        objectName: "installButton"
                        visible: !view.updates.updatedByPackageManager
                        kind: "prominent"
                        symbol: "arrow.down.circle.fill"
                        text: L.t("Update & Relaunch")
                        onClicked: view.updates.installUpdate()
                    }
                }
            }
            Column {
                id: downloadingFooter
                objectName: "downloadingFooter"
                anchors.fill: parent
                visible: view.updates.phase === "downloading"
                spacing: 6
                Rectangle {
                    width: parent.width
                    height: 6
                    radius: 3
                    color: Theme.separator
                    Rectangle {
                        x: L.rightToLeft ? parent.width - width : 0
                        width: parent.width * Math.max(0, Math.min(1, view.updates.progress))
                        height: parent.height
                        radius: 3
                        color: Theme.accent
                    }
                }
                Text {
                    objectName: "progressText"
                    text: L.f("Downloading… %d%%", [view.updates.progressPercent])
                    font.pixelSize: Theme.font.body
                    color: Theme.secondaryText
                }
            }
            Row {
                objectName: "busyFooter"
                anchors.verticalCenter: parent.verticalCenter
                visible: view.updates.phase === "preparing" || view.updates.phase === "relaunching"
                spacing: 8
                Spinner {
                    anchors.verticalCenter: parent.verticalCenter
                }
                Text {
                    objectName: "busyText"
                    anchors.verticalCenter: parent.verticalCenter
                    text: view.updates.phase === "preparing" ? L.t("Preparing update…")
                                                             : L.t("Restarting…")
                    font.pixelSize: Theme.font.body
                    color: Theme.secondaryText
                }
            }
            ColumnLayout {
                id: failedFooter
                objectName: "failedFooter"
                anchors.fill: parent
                visible: view.updates.phase === "failed"
                spacing: 10
                Text {
                    Layout.fillWidth: true
                    text: L.t("Couldn't install the update automatically.")
                    font.pixelSize: Theme.font.body
                    color: Theme.text
                    wrapMode: Text.Wrap
                }
                RowLayout {
                    spacing: 10
                    StyledButton {
                        objectName: "failedDownloadManuallyButton"
                        kind: "prominent"
                        text: L.t("Download manually")
                        onClicked: view.downloadManually()
                    }
                    StyledButton {
                        objectName: "failedCloseButton"
                        kind: "bordered"
                        text: L.t("Close")
                        onClicked: view.dismissRequested()
                    }
                }
            }
        }
    }
}
