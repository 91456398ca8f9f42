import QtQuick
import QtQuick.Layouts
import Velarion.Ui

// The camera set-up window: screen capture allowed, then the camera service active. The states
// and every action are the controller's; Return closes the window.
FocusScope {
    id: view
    // A CameraSetupController.
    required property var controller

    implicitWidth: 520
    implicitHeight: 660
    focus: true
    LayoutMirroring.enabled: L.rightToLeft
    LayoutMirroring.childrenInherit: true

    Keys.onReturnPressed: view.controller.dismiss()
    Keys.onEnterPressed: view.controller.dismiss()

    GlassBackdrop {}

    Flickable {
        id: scroller
        anchors.top: parent.top
        anchors.bottom: footer.top
        anchors.left: parent.left
        anchors.right: parent.right
        contentHeight: column.implicitHeight + 40
        clip: true
        boundsBehavior: Flickable.StopAtBounds

        ColumnLayout {
            id: column
            x: 20
            y: 20
            width: scroller.width - 40
            spacing: 14

            RowLayout {
                spacing: 12
                IconTile { systemName: "camera.badge.ellipsis"; tint: Theme.accent; size: 44 }
                ColumnLayout {
                    Layout.fillWidth: true
                    spacing: 2
                    Text {
                        Layout.fillWidth: true
                        text: L.t("Set Up the Virtual Camera")
                        font.pixelSize: Theme.font.title2
                        font.weight: Font.Bold
                        color: Theme.text
                        wrapMode: Text.Wrap
                    }
                    Text {
                        Layout.fillWidth: true
                        text: L.t("Two quick steps and you're broadcasting.")
                        font.pixelSize: Theme.font.callout
                        color: Theme.secondaryText
                        wrapMode: Text.Wrap
                    }
                }
            }

            StepCard {
                objectName: "step1"
                Layout.fillWidth: true
                number: 1
                stepState: view.controller.step1State
                symbolName: "rectangle.dashed.badge.record"
                title: L.t("Allow Screen Recording")
                detail: L.t("Velarion captures the window you choose and sends it to the camera. Your desktop session must allow screen capture for this.")

                Text {
                    objectName: "unavailableReason"
                    horizontalAlignment: Text.AlignLeft
                    Layout.fillWidth: true
                    visible: view.controller.step1State === "pending" && view.controller.unavailableReason.length > 0
                    text: L.t(view.controller.unavailableReason)
                    font.pixelSize: Theme.font.callout
                    color: Theme.text
                    wrapMode: Text.Wrap
                }
                StyledButton {
                    objectName: "grantButton"
                    visible: view.controller.step1State === "pending"
                    text: L.t("Grant Screen Recording")
                    kind: "prominent"
                    symbol: "lock.open.fill"
                    onClicked: view.controller.grantScreenRecording()
                }
                Text {
                    objectName: "step1Instruction"
                    horizontalAlignment: Text.AlignLeft
                    Layout.fillWidth: true
                    visible: view.controller.step1State === "actionNeeded"
                    text: L.t("Screen capture isn't allowed in this session. Velarion needs an X11 (Xorg) session: choose one at the login screen. If you changed a setting instead, quit and reopen Velarion to apply it.")
                    font.pixelSize: Theme.font.callout
                    color: Theme.text
                    wrapMode: Text.Wrap
                }
                Flow {
                    Layout.fillWidth: true
                    visible: view.controller.step1State === "actionNeeded"
                    spacing: 8
                    StyledButton {
                        objectName: "openSettingsButton"
                        text: L.t("Open Screen Recording Settings")
                        kind: "bordered"
                        controlSize: "large"
                        symbol: "gearshape.fill"
                        onClicked: view.controller.openScreenRecordingSettings()
                    }
                    StyledButton {
                        objectName: "quitReopenButton"
                        text: L.t("Quit & Reopen Velarion")
                        kind: "prominent"
                        controlSize: "large"
                        symbol: "arrow.clockwise"
                        onClicked: view.controller.quitAndReopen()
                    }
                }
                DoneLabel {
                    objectName: "step1Done"
                    visible: view.controller.step1State === "done"
                    text: L.t("Screen Recording is on.")
                }
            }

            StepCard {
                objectName: "step2"
                Layout.fillWidth: true
                number: 2
                stepState: view.controller.step2State
                symbolName: "puzzlepiece.extension.fill"
                title: L.t("Enable the Camera Extension")
                detail: L.t("This is the camera service that makes “Velarion Camera” show up as a camera inside Zoom, Meet, Teams and other video-call apps.")

                RowLayout {
                    visible: view.controller.installerState === "idle"
                    spacing: 10
                    StyledButton {
                        objectName: "enableButton"
                        enabled: view.controller.step1State === "done"
                        text: L.t("Enable Camera Extension")
                        kind: "prominent"
                        controlSize: "large"
                        symbol: "puzzlepiece.extension.fill"
                        onClicked: view.controller.enableExtension()
                    }
                    Text {
                        objectName: "finishStep1"
                        Layout.fillWidth: true
                        visible: view.controller.step1State !== "done"
                        text: L.t("Finish step 1 first.")
                        font.pixelSize: Theme.font.caption
                        color: Theme.tertiaryText
                        wrapMode: Text.Wrap
                    }
                }
                RowLayout {
                    objectName: "requesting"
                    visible: view.controller.installerState === "requesting"
                    spacing: 8
                    Spinner { size: 14 }
                    Text {
                        Layout.fillWidth: true
                        text: L.t("Requesting… Velarion is starting its camera service.")
                        font.pixelSize: Theme.font.callout
                        color: Theme.secondaryText
                        wrapMode: Text.Wrap
                    }
                }
                Text {
                    objectName: "approvalInstruction"
                    horizontalAlignment: Text.AlignLeft
                    Layout.fillWidth: true
                    visible: view.controller.installerState === "needsApproval"
                    text: L.t(view.controller.approvalInstruction)
                    font.pixelSize: Theme.font.callout
                    color: Theme.text
                    wrapMode: Text.Wrap
                }
                StyledButton {
                    objectName: "tryAgainButton"
                    visible: view.controller.installerState === "needsApproval" || view.controller.installerState === "failed"
                    text: L.t("Try Again")
                    kind: view.controller.installerState === "failed" ? "bordered" : "prominent"
                    controlSize: "large"
                    symbol: "arrow.clockwise"
                    onClicked: view.controller.enableExtension()
                }
                DoneLabel {
                    objectName: "step2Done"
                    visible: view.controller.installerState === "active"
                    text: L.t("Camera Extension is active.")
                }
            }

            GlassCard {
                objectName: "banner"
                Layout.fillWidth: true
                visible: view.controller.allSet
                highlighted: true
                tint: Theme.accent
                padding: 14
                contentItem: RowLayout {
                    spacing: 10
                    Symbol { Layout.preferredWidth: size; Layout.preferredHeight: size; name: "checkmark.seal.fill"; color: Theme.accent; size: 22 }
                    Text {
                        Layout.fillWidth: true
                        text: L.t("You're all set! Turn on Broadcast Camera and pick a window to share.")
                        font.pixelSize: Theme.font.callout
                        font.weight: Font.Medium
                        color: Theme.text
                        wrapMode: Text.Wrap
                    }
                }
            }
        }
    }

    RowLayout {
        id: footer
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.bottom: parent.bottom
        anchors.margins: 16
        Item { Layout.fillWidth: true }
        StyledButton {
            objectName: "footerButton"
            text: view.controller.allSet ? L.t("Done") : L.t("Close")
            kind: "prominent"
            onClicked: view.controller.dismiss()
        }
    }

    component DoneLabel: RowLayout {
        property alias text: label.text
        spacing: 6
        Symbol { Layout.preferredWidth: size; Layout.preferredHeight: size; name: "checkmark.circle.fill"; color: Theme.accent; size: 14 }
        Text {
            id: label
            font.pixelSize: Theme.font.callout
            color: Theme.accent
        }
    }
}
