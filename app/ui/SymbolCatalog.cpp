#include "ui/SymbolCatalog.h"

#include <QHash>

namespace {

struct Entry {
    const char* symbol;
    // A freedesktop symbolic icon, or nullptr when the module draws the symbol itself.
    const char* themeName;
    // The module's own drawing, icons/<ownFile>.svg, when `themeName` is nullptr.
    const char* ownFile = nullptr;
    bool mirrors = false;
};

// clang-format off
constexpr Entry kEntries[] = {
    // No icon theme has these: the app's shield, the warning eye, the bolt shield, the drop, the
    // bulb and the external-link arrow.
    {"lock.shield", nullptr, "lock.shield"},
    {"lock.shield.fill", nullptr, "lock.shield"},
    {"bolt.shield.fill", nullptr, "bolt.shield"},
    {"eye.trianglebadge.exclamationmark", nullptr, "eye.trianglebadge.exclamationmark"},
    {"drop.fill", nullptr, "drop"},
    {"lightbulb.fill", nullptr, "lightbulb"},
    {"arrow.up.right", nullptr, "arrow.up.forward.square", true},
    {"arrow.down.circle.fill", "software-update-available-symbolic"},
    {"arrow.clockwise", "view-refresh-symbolic"},
    {"bell.slash.fill", "notifications-disabled-symbolic"},
    {"camera.badge.ellipsis", "camera-web-symbolic"},
    {"camera.fill", "camera-photo-symbolic"},
    {"checkmark", "object-select-symbolic"},
    {"checkmark.circle.fill", "emblem-ok-symbolic"},
    {"checkmark.seal.fill", "emblem-default-symbolic"},
    {"chevron.down", "pan-down-symbolic"},
    {"chevron.right", "pan-end-symbolic", nullptr, true},
    {"desktopcomputer", "computer-symbolic"},
    {"doc.text.magnifyingglass", "edit-find-symbolic"},
    {"envelope.fill", "mail-unread-symbolic"},
    {"exclamationmark.triangle.fill", "dialog-warning-symbolic"},
    {"eye.slash.fill", "view-conceal-symbolic"},
    {"gearshape.fill", "emblem-system-symbolic"},
    {"globe", "preferences-desktop-locale-symbolic"},
    {"info.circle.fill", "dialog-information-symbolic"},
    {"keyboard", "input-keyboard-symbolic"},
    {"lock.open.fill", "changes-allow-symbolic"},
    {"macwindow", "view-paged-symbolic"},
    {"macwindow.on.rectangle", "focus-windows-symbolic"},
    {"magnifyingglass", "system-search-symbolic"},
    {"power", "system-shutdown-symbolic"},
    {"puzzlepiece.extension.fill", "application-x-addon-symbolic"},
    {"questionmark.circle", "help-about-symbolic"},
    {"questionmark.circle.fill", "help-about-symbolic"},
    {"rectangle.dashed.badge.record", "media-record-symbolic"},
    {"shield.lefthalf.filled", "security-medium-symbolic"},
    {"stop.circle.fill", "media-playback-stop-symbolic"},
    {"stop.fill", "media-playback-stop-symbolic"},
    {"theatermasks.fill", "x-office-presentation-symbolic"},
    {"timer", "alarm-symbolic"},
    {"video.fill", "camera-video-symbolic"},
    {"video.slash.fill", "camera-disabled-symbolic"},
    {"xmark", "window-close-symbolic"},
};
// clang-format on

}  // namespace

namespace SymbolCatalog {

Source find(const QString& symbolName) {
    static const QHash<QString, Source> table = [] {
        QHash<QString, Source> sources;
        for (const Entry& entry : kEntries) {
            const QString symbol = QString::fromLatin1(entry.symbol);
            Source source;
            if (entry.themeName) {
                source.themeName = QString::fromLatin1(entry.themeName);
            } else {
                source.resourcePath =
                    QStringLiteral(":/qt/qml/Velarion/Ui/icons/%1.svg").arg(entry.ownFile);
            }
            source.mirrorsInRightToLeft = entry.mirrors;
            sources.insert(symbol, source);
        }
        return sources;
    }();
    return table.value(symbolName);
}

}  // namespace SymbolCatalog
