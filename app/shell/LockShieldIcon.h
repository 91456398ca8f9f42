#pragma once

#include <QColor>
#include <QIcon>

// The application's symbol: a shield with a padlock, drawn as vector paths so it is sharp at
// every tray size and on high-density screens.
namespace LockShieldIcon {

QIcon make(const QColor& shieldColor, const QColor& lockColor);

}  // namespace LockShieldIcon
