#pragma once

#include <QObject>
#include <QString>
#include <QUrl>

// The few things a view may ask of the application shell. The shell implements it; views reach it
// as the `Shell` singleton of the QML module (UiEngine registers it) and controllers receive it
// through their constructors, so nothing in the interface knows the shell's classes. GUI thread
// only.
class ShellActions : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    // Opens (or raises) the auxiliary window with this identifier: "settings", "help", "update",
    // "camera-setup", "broadcast". Unknown identifiers are ignored.
    Q_INVOKABLE virtual void openWindow(const QString& identifier) = 0;
    // Hands the URL to the desktop (browser, mail program).
    Q_INVOKABLE virtual void openUrl(const QUrl& url) = 0;
    // Shows the main window and brings the application in front of other applications.
    Q_INVOKABLE virtual void bringToFront() = 0;
    // The one quit path: restores the desktop, then ends the process.
    Q_INVOKABLE virtual void quit() = 0;
    // Quits as above, then starts the application again once this process has let go of its
    // global resources.
    Q_INVOKABLE virtual void relaunch() = 0;
    // Opens the desktop's own settings program at `pane` ("privacy", "notifications", "login",
    // "sound"...) where the running desktop has one; otherwise logs why nothing opened.
    Q_INVOKABLE virtual void openDesktopSettings(const QString& pane) = 0;
};
