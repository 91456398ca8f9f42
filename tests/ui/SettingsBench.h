#pragma once

#include "QmlHost.h"

#include "settings/LaunchAtLoginSetting.h"
#include "settings/LoginItem.h"
#include "settings/MaskSettings.h"
#include "shields/hotkey/HotkeyGrabber.h"
#include "shields/hotkey/HotkeyManager.h"
#include "ui/controllers/HotkeyRecorder.h"
#include "ui/controllers/SettingsController.h"
#include "ui/controllers/UpdateController.h"
#include "update/UpdateChecker.h"
#include "update/UpdateInstaller.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <vector>

// Stands in for the display's key grab: what is grabbed now, every grab asked for, and a press.
class FakeGrabber final : public HotkeyGrabber {
public:
    void setPressedHandler(PressedHandler handler) override { m_handler = std::move(handler); }
    bool grab(quint32 keyCode, quint32 modifiers) override {
        grabs.push_back({keyCode, modifiers});
        grabbed = accept;
        return accept;
    }
    void ungrab() override { grabbed = false; }

    void press() {
        if (m_handler) {
            m_handler();
        }
    }

    std::vector<HotkeyManager::Combo> grabs;
    bool grabbed = false;
    bool accept = true;

private:
    PressedHandler m_handler;
};

// The real settings services over a QmlHost's store, a private autostart folder, a fake key grab
// and an update feed at `feed` (nothing listens there unless a test serves it).
struct SettingsBench {
    explicit SettingsBench(const QUrl& feed = QUrl(QStringLiteral("http://127.0.0.1:9/feed")))
        : host({460, 1500})
        , mask(host.defaults())
        , loginItem(home.filePath(QStringLiteral("autostart")),
                    {QStringLiteral("/usr/bin/velarion")})
        , launch(host.defaults(), loginItem)
        , hotkeys(host.defaults(), makeGrabber())
        , checker(feed, QStringLiteral("1.4"))
        , installer(DMGInstaller::Context{home.filePath(QStringLiteral("Velarion")), home.path(),
                                          QCoreApplication::applicationPid(), true},
                    [] {})
        , updates(checker, installer, [this](const QUrl& url) { opened << url; }) {}

    // The views go before the controllers they bind to.
    ~SettingsBench() { host.unload(); }

    std::unique_ptr<HotkeyGrabber> makeGrabber() {
        auto owned = std::make_unique<FakeGrabber>();
        grabber = owned.get();
        return owned;
    }

    SettingsController* newController() {
        return new SettingsController(host.localization(), launch, mask, hotkeys,
                                      QCoreApplication::instance(), &owner);
    }

    QVariantMap properties(SettingsController* controller) {
        return {{QStringLiteral("controller"), QVariant::fromValue<QObject*>(controller)},
                {QStringLiteral("updates"), QVariant::fromValue<QObject*>(&updates)}};
    }

    QQuickItem* loadSettings() {
        controller = newController();
        return host.load(R"qml(
            import QtQuick
            import Velarion.Ui
            Item {
                required property QtObject controller
                required property QtObject updates
                SettingsContent { width: 420; controller: parent.controller; updates: parent.updates }
            })qml",
                         properties(controller));
    }

    QTemporaryDir home;
    QmlHost host;
    MaskSettings mask;
    LoginItem loginItem;
    LaunchAtLoginSetting launch;
    FakeGrabber* grabber = nullptr;
    HotkeyManager hotkeys;
    UpdateChecker checker;
    UpdateInstaller installer;
    QList<QUrl> opened;
    UpdateController updates;
    QObject owner;
    SettingsController* controller = nullptr;
};
