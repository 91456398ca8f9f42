#pragma once

// The real services behind the popover and the main window, over stand-ins only where the
// outside world would be: shell scripts for the desktop's tools, a scripted display server and
// recognition engine, a scripted extension activator and an update feed on a loopback server.

#include "BroadcastTestbed.h"
#include "FakeTools.h"
#include "LocalHttpServer.h"
#include "MaskScanTestbed.h"
#include "ShieldTestSupport.h"

#include "core/CommandRunner.h"
#include "shields/DesktopShield.h"
#include "shields/NotificationGuard.h"
#include "ui/controllers/FeatureSwitches.h"
#include "ui/controllers/MaskPanelStatus.h"
#include "ui/controllers/PeriodicMaskScan.h"
#include "ui/controllers/UpdateAvailability.h"
#include "update/UpdateChecker.h"

#include <QFile>
#include <QUrl>
#include <QVariantMap>

class ViewTestbed : public MaskScanTestbed {
public:
    ViewTestbed() {
        // Each tool fails while a file named "fail-<tool>" exists beside it.
        for (const QString& tool : {QStringLiteral("desktop"), QStringLiteral("dnd")}) {
            tools.add(tool, "[ -e \"$(dirname \"$0\")/fail-" + tool.toUtf8() +
                                "\" ] && { echo 'tool broke' >&2; exit 3; }\nexit 0");
        }
        writeFeed(QStringLiteral("1.0.0"));
    }

    void breakTool(const QString& tool) {
        QFile file(tools.dir() + QStringLiteral("/fail-") + tool);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }

    void writeFeed(const QString& version) {
        server.serve(QStringLiteral("/appcast.json"),
                     {200, QStringLiteral(R"({"version": "%1", "url": "https://example.com/v.tar",
                                              "notes": "n"})")
                               .arg(version)
                               .toUtf8()});
    }

    QVariantMap properties() {
        return {{QStringLiteral("appState"), QVariant::fromValue<QObject*>(&appState)},
                {QStringLiteral("switches"), QVariant::fromValue<QObject*>(&switches)},
                {QStringLiteral("maskStatus"), QVariant::fromValue<QObject*>(&maskStatus)},
                {QStringLiteral("periodicScan"), QVariant::fromValue<QObject*>(&periodic)},
                {QStringLiteral("updates"), QVariant::fromValue<QObject*>(&updates)}};
    }
    QVariantMap popoverProperties() {
        QVariantMap all = properties();
        all.remove(QStringLiteral("maskStatus"));
        all.remove(QStringLiteral("periodicScan"));
        return all;
    }

    FakeTools tools;
    CommandRunner runner;
    DesktopShield desktopShield{
        runner, fixedPlans({{tools.dir() + QStringLiteral("/desktop"), {QStringLiteral("hide")}}},
                           {{tools.dir() + QStringLiteral("/desktop"), {QStringLiteral("show")}}})};
    NotificationGuard notificationGuard{
        runner, fixedPlans({{tools.dir() + QStringLiteral("/dnd"), {QStringLiteral("on")}}},
                           {{tools.dir() + QStringLiteral("/dnd"), {QStringLiteral("off")}}})};

    HandoffNamespace handoffNamespace;
    NotifyCenter notify;
    ScreenCaptureAccess access{QStringLiteral("xcb"), QStringLiteral("x11")};
    ScriptedActivator activator;
    SystemExtensionInstaller installer{activator};
    VirtualCameraService camera{notify};
    PrivacyShieldService privacyShield{screenManager, appState};
    BroadcastController broadcast{appState, access,        installer,
                                  camera,   screenManager, privacyShield};

    FeatureSwitches switches{appState, desktopShield, notificationGuard, broadcast, scanner};
    MaskPanelStatus maskStatus{scanner, appState, privacyProtector};
    ManualTimer* timer = new ManualTimer;
    PeriodicMaskScan periodic{scanner, appState, settings, std::unique_ptr<ScanTimer>(timer)};
    LocalHttpServer server;
    UpdateChecker checker{server.url(QStringLiteral("/appcast.json")), QStringLiteral("1.0.0")};
    UpdateAvailability updates{checker};
};
