#pragma once

#include <QObject>

class LoginItem;
class UserDefaults;

// Keeps the "launchAtLogin" preference and the login item in step. The preference follows the
// item when the settings appear; after that, every change of the preference is applied to the
// item, and a change the item refuses springs back (printing why). GUI thread only.
class LaunchAtLoginSetting final : public QObject {
    Q_OBJECT
    Q_PROPERTY(
        bool launchAtLogin READ launchAtLogin WRITE setLaunchAtLogin NOTIFY launchAtLoginChanged)

public:
    // `defaults` and `loginItem` must outlive this object.
    LaunchAtLoginSetting(UserDefaults& defaults, const LoginItem& loginItem,
                         QObject* parent = nullptr);

    bool launchAtLogin() const;

    // The settings appeared: the preference becomes true exactly when the item is enabled. The
    // item itself is not touched.
    void refreshFromLoginItem();

    // The switch moved: a different value is stored, announced and applied to the item.
    void setLaunchAtLogin(bool enabled);

Q_SIGNALS:
    void launchAtLoginChanged();

private:
    // Stores and announces without touching the item; false when the value was already there.
    bool store(bool enabled);
    void applyLaunchAtLogin(bool enabled);

    UserDefaults& m_defaults;
    const LoginItem& m_loginItem;
};
