#include "settings/LaunchAtLoginSetting.h"

#include "core/Console.h"
#include "core/Preferences.h"
#include "core/UserDefaults.h"
#include "settings/LoginItem.h"

namespace {

QString key() {
    return QString::fromLatin1(Preferences::kLaunchAtLogin);
}

}  // namespace

LaunchAtLoginSetting::LaunchAtLoginSetting(UserDefaults& defaults, const LoginItem& loginItem,
                                           QObject* parent)
    : QObject(parent)
    , m_defaults(defaults)
    , m_loginItem(loginItem) {}

bool LaunchAtLoginSetting::launchAtLogin() const {
    return m_defaults.boolValue(key());
}

void LaunchAtLoginSetting::refreshFromLoginItem() {
    store(m_loginItem.status() == LoginItem::Status::enabled);
}

void LaunchAtLoginSetting::setLaunchAtLogin(bool enabled) {
    if (store(enabled)) {
        applyLaunchAtLogin(enabled);
    }
}

bool LaunchAtLoginSetting::store(bool enabled) {
    const bool changed = enabled != launchAtLogin();
    // Written even when equal to a registered default, so the choice survives a new default.
    m_defaults.setValue(key(), enabled);
    if (changed) {
        Q_EMIT launchAtLoginChanged();
    }
    return changed;
}

void LaunchAtLoginSetting::applyLaunchAtLogin(bool enabled) {
    const bool isEnabled = m_loginItem.status() == LoginItem::Status::enabled;
    if (enabled == isEnabled) {
        return;
    }
    const Outcome updated = enabled ? m_loginItem.registerItem() : m_loginItem.unregisterItem();
    if (updated.failed()) {
        Console::printLine(QStringLiteral("[Settings] Failed to update login item: ") +
                           updated.error());
        // The spring-back runs this again, which then finds the item already as it is.
        setLaunchAtLogin(!enabled);
    }
}
