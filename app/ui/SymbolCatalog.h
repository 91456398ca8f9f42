#pragma once

#include <QString>

// The app's own symbol names (the names the windows are designed with) and where each is drawn
// from on Linux: a freedesktop symbolic icon of the theme, or one of the module's own SVG files
// for the few the icon themes lack. This is the one list of symbols; a name not in it draws
// nothing.
namespace SymbolCatalog {

struct Source {
    // A freedesktop icon name ("emblem-system-symbolic"), empty when `resourcePath` is used.
    QString themeName;
    // A Qt resource path of the module's own drawing, empty when `themeName` is used.
    QString resourcePath;
    // Points along the reading direction, so a right-to-left layout shows its mirror.
    bool mirrorsInRightToLeft = false;

    bool isValid() const { return !themeName.isEmpty() || !resourcePath.isEmpty(); }
};

Source find(const QString& symbolName);

}  // namespace SymbolCatalog
