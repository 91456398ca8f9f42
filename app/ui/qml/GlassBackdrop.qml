import QtQuick
import Velarion.Ui

// The window's background: an opaque gradient of the window colour that the glass cards sit on.
// X11 has no portable behind-window blur, so nothing shows through; the window looks the same
// with or without a compositor and in a screen capture.
Rectangle {
    anchors.fill: parent
    gradient: Gradient {
        GradientStop { position: 0.0; color: Theme.backdropTop }
        GradientStop { position: 1.0; color: Theme.backdropBottom }
    }
}
