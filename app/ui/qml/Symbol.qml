import QtQuick
import Velarion.Ui

// One of the app's symbols (SymbolCatalog names), tinted with a colour or, when `color2` is set,
// a diagonal gradient. Symbols that point along the reading direction mirror in right-to-left.
Image {
    id: symbol
    property string name
    property color color: Theme.text
    property color color2: Theme.clear
    property real size: 16

    width: size
    height: size
    sourceSize: Qt.size(Math.ceil(size * 2), Math.ceil(size * 2))
    fillMode: Image.PreserveAspectFit
    smooth: true
    source: name.length === 0 ? ""
            : "image://symbol/" + name + "/" + Theme.hex(color)
              + (color2.a > 0 ? "/" + Theme.hex(color2) : "")
              + (L.rightToLeft ? "/rtl" : "")
}
