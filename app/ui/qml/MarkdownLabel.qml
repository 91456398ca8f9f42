import QtQuick
import Velarion.Ui

// Text with inline Markdown (bold, italic, code, links). `markdown` is an English interface text
// looked up in the current language; `plainMarkdown` is shown as given (release notes). Links open
// through the shell. The alignment follows the text's own direction.
Text {
    id: label
    property string markdown
    property string plainMarkdown

    text: plainMarkdown.length > 0 ? Texts.markdownOf(plainMarkdown) : L.md(markdown)
    textFormat: Text.StyledText
    wrapMode: Text.Wrap
    color: Theme.text
    linkColor: Theme.accent
    font.pixelSize: Theme.font.body
    onLinkActivated: link => Shell.openUrl(link)

    HoverHandler {
        cursorShape: label.hoveredLink.length > 0 ? Qt.PointingHandCursor : Qt.ArrowCursor
    }
}
