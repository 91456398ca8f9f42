pragma Singleton
import QtQuick
import Velarion.Ui

// Lookups for the views. Each reads Texts.revision, so every binding that calls them depends on
// the language and is re-evaluated in place when it changes.
QtObject {
    readonly property bool rightToLeft: Texts.rightToLeft

    // The text to show for an English text.
    function t(key) {
        return Texts.revision >= 0 ? Texts.localized(key) : key
    }
    // Looked up, then "%@"/"%d" replaced by the arguments in order.
    function f(key, args) {
        return Texts.revision >= 0 ? Texts.format(key, args) : key
    }
    // Looked up, then inline Markdown as styled text.
    function md(key) {
        return Texts.revision >= 0 ? Texts.markdown(key) : key
    }
}
