import QtQuick
import QtQuick.Layouts
import QtQuick.Templates as T
import Velarion.Ui

// The "help" window: three guides with numbered steps, the web-site and support links, and the
// version. `version` is this build's version, `websiteTitle` the English title of the web-site
// link (it carries the site's host name), `websiteUrl` and `supportUrl` the two addresses.
Item {
    id: view
    required property string version
    required property string websiteTitle
    required property url websiteUrl
    required property url supportUrl
    implicitWidth: 520
    implicitHeight: 640
    LayoutMirroring.enabled: L.rightToLeft
    LayoutMirroring.childrenInherit: true

    GlassBackdrop {}

    Flickable {
        id: scroller
        objectName: "helpScroller"
        anchors.fill: parent
        clip: true
        contentWidth: width
        contentHeight: page.implicitHeight + 56
        boundsBehavior: Flickable.StopAtBounds
        T.ScrollBar.vertical: T.ScrollBar {
            id: bar
            width: 8
            padding: 2
            contentItem: Rectangle {
                implicitWidth: 4
                radius: 2
                color: Theme.tertiaryText
                opacity: bar.active ? 1.0 : 0.4
            }
        }

        Column {
            id: page
            x: 28
            y: 28
            width: scroller.width - 56
            spacing: 18

            RowLayout {
                width: page.width
                spacing: 14
                IconTile {
                    systemName: "questionmark.circle.fill"
                    size: 46
                }
                Column {
                    Layout.fillWidth: true
                    spacing: 2
                    Text {
                        width: parent.width
                        text: L.t("Help Center")
                        font.pixelSize: Theme.font.title
                        font.bold: true
                        color: Theme.text
                    }
                    Text {
                        width: parent.width
                        text: L.t("Guides for getting the most out of Velarion.")
                        font.pixelSize: Theme.font.body
                        color: Theme.secondaryText
                        wrapMode: Text.Wrap
                    }
                }
            }

            HelpCard {
                objectName: "cameraCard"
                width: page.width
                icon: "camera.fill"
                title: L.t("Enable the Camera Extension")
                subtitle: L.t("Required for Broadcast Camera to appear in Zoom, Meet, Teams, etc.")
                HelpSteps {
                    keys: [
                        "Make sure **PipeWire** is running for your session.",
                        "Turn on **Broadcast Camera** once in Velarion.",
                        "Velarion then starts its **camera service** by itself.",
                        "If the set-up asks, click **Enable Camera Extension**, or **Try Again** after a failure.",
                        "Once the set-up shows **Camera Extension is active**, pick **Velarion Camera** in your meeting app."
                    ]
                }
                StyledButton {
                    objectName: "openCameraSetupButton"
                    anchors.left: parent ? parent.left : undefined
                    kind: "prominent"
                    controlSize: "large"
                    symbol: "gearshape.fill"
                    text: L.t("Open Camera Setup")
                    onClicked: Shell.openWindow("camera-setup")
                }
                HelpNote {
                    text: L.t("If “Velarion Camera” isn't listed yet, turn on Broadcast Camera once so Velarion starts the camera, then come back here.")
                }
            }

            HelpCard {
                objectName: "missingCameraCard"
                width: page.width
                icon: "video.slash.fill"
                title: L.t("“Velarion” camera doesn't appear")
                subtitle: L.t("The virtual camera is missing from the camera list.")
                HelpSteps {
                    keys: [
                        "Make sure the **Camera Extension is enabled** (see the guide above).",
                        "**Fully quit and reopen** your meeting app — camera lists are only read at launch.",
                        "Pick a window to broadcast in Velarion before joining the call.",
                        "In your meeting app's video settings, select **Velarion** as the camera."
                    ]
                }
            }

            HelpCard {
                objectName: "stealthCard"
                width: page.width
                icon: "eye.slash.fill"
                title: L.t("Hide windows from a screen share (Stealth Mode)")
                subtitle: L.t("Keep chosen windows invisible to whoever you're sharing with.")
                HelpSteps {
                    keys: [
                        "Open the Velarion panel from its icon in the system tray.",
                        "Turn on **Stealth Mode** under **Window Protection**.",
                        "Tick the windows you want hidden, then click **Apply**.",
                        "Use the **Panic hotkey** to instantly hide or reveal everything."
                    ]
                }
                HelpNote {
                    text: L.t("Note: Velarion hides a chosen window together with the other windows of its app — keep sensitive windows in an app you don't need to show.")
                }
            }

            Column {
                width: page.width
                spacing: 6
                HelpLinkRow {
                    objectName: "websiteLink"
                    symbol: "globe"
                    title: L.t(view.websiteTitle)
                    subtitle: L.t("Docs, downloads and the latest version")
                    onClicked: Shell.openUrl(view.websiteUrl)
                }
                HelpLinkRow {
                    objectName: "supportLink"
                    symbol: "envelope.fill"
                    title: L.t("Email Support")
                    subtitle: L.t("Questions, bug reports and ideas")
                    onClicked: Shell.openUrl(view.supportUrl)
                }
            }

            Text {
                objectName: "versionFooter"
                width: page.width
                horizontalAlignment: Text.AlignHCenter
                // Not an interface text: the product name and the version as they are.
                text: "Velarion v" + view.version
                font.pixelSize: Theme.font.caption2
                color: Theme.tertiaryText
            }
        }
    }
}
