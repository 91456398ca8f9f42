import QtQuick
import QtQuick.Layouts
import Velarion.Ui

// The dashboard's summary: a ring filled to activeCount of total with the count in its centre,
// the title and subtitle that say whether the user is protected, and the presentation-mode button.
GlassCard {
    id: hero
    property int activeCount: 0
    property int total: 3
    property bool isPresenting: false
    signal primary()

    readonly property real fraction: activeCount / Math.max(1, total)

    radius: 24
    padding: 22
    highlighted: activeCount > 0
    tint: activeCount > 0 ? Theme.accent : Theme.clear

    contentItem: RowLayout {
        spacing: 22

        Item {
            implicitWidth: 96
            implicitHeight: 96
            Canvas {
                id: ring
                objectName: "heroRing"
                anchors.fill: parent
                property real fraction: hero.fraction
                property bool active: hero.activeCount > 0
                property bool mirrored: L.rightToLeft
                onFractionChanged: requestPaint()
                onActiveChanged: requestPaint()
                onMirroredChanged: requestPaint()
                onPaint: {
                    const ctx = getContext("2d")
                    ctx.reset()
                    const lineWidth = 12
                    const r = (Math.min(width, height) - lineWidth) / 2
                    const cx = width / 2, cy = height / 2
                    ctx.lineWidth = lineWidth
                    ctx.lineCap = "round"
                    ctx.strokeStyle = Qt.rgba(Theme.secondary.r, Theme.secondary.g, Theme.secondary.b, 0.18)
                    ctx.beginPath()
                    ctx.arc(cx, cy, r, 0, 2 * Math.PI)
                    ctx.stroke()
                    if (fraction <= 0)
                        return
                    const gradient = ctx.createLinearGradient(0, 0, width, height)
                    gradient.addColorStop(0, active ? Theme.accentGradientStart : Theme.secondary)
                    gradient.addColorStop(1, active ? Theme.accentGradientEnd : Theme.tertiaryText)
                    ctx.strokeStyle = gradient
                    ctx.beginPath()
                    const start = -Math.PI / 2
                    const sweep = 2 * Math.PI * Math.min(1, fraction)
                    if (mirrored)
                        ctx.arc(cx, cy, r, start, start - sweep, true)
                    else
                        ctx.arc(cx, cy, r, start, start + sweep, false)
                    ctx.stroke()
                }
            }
            Text {
                objectName: "heroCount"
                anchors.centerIn: parent
                text: hero.activeCount
                font.pixelSize: Theme.font.largeTitle
                font.weight: Font.Bold
                color: Theme.text
            }
        }

        ColumnLayout {
            Layout.fillWidth: true
            spacing: 6
            Text {
                objectName: "heroTitle"
                Layout.fillWidth: true
                text: hero.activeCount > 0 ? L.t("You're protected") : L.t("Ready to present")
                font.pixelSize: Theme.font.title
                font.weight: Font.Bold
                color: Theme.text
                wrapMode: Text.WordWrap
                horizontalAlignment: Text.AlignLeft
            }
            Text {
                objectName: "heroSubtitle"
                Layout.fillWidth: true
                text: hero.activeCount > 0
                      ? L.f("%d of %d privacy shields are active.", [hero.activeCount, hero.total])
                      : L.t("Turn on Presentation Mode before you share your screen.")
                font.pixelSize: Theme.font.body
                color: Theme.secondaryText
                wrapMode: Text.WordWrap
                horizontalAlignment: Text.AlignLeft
            }
            StyledButton {
                objectName: "presentButton"
                Layout.topMargin: 6
                kind: hero.isPresenting ? "bordered" : "prominent"
                controlSize: "large"
                symbol: hero.isPresenting ? "stop.circle.fill" : "theatermasks.fill"
                text: hero.isPresenting ? L.t("Stop presenting") : L.t("Start presenting")
                onClicked: hero.primary()
            }
        }
    }
}
