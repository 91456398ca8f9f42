#pragma once

#include <QString>
#include <QStringList>

#include <sys/types.h>

#include <vector>

// A private X server for X11 tests: Xvfb on a display number it picks itself (-displayfd), with
// the Composite extension, optionally openbox and a tray host. Every process it starts is ended
// by pid when the fixture goes away, whatever the test did.
class XvfbServer {
public:
    struct Options {
        int width = 1280;
        int height = 800;
        bool windowManager = false;
        bool trayHost = false;
    };

    explicit XvfbServer(const Options& options);
    XvfbServer();
    ~XvfbServer();
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    bool isRunning() const { return m_serverPid > 0 && m_error.isEmpty(); }
    QString errorString() const { return m_error; }
    // ":N", for DISPLAY.
    QString display() const { return m_display; }

    // Starts `program` (absolute path or a name found on PATH) as a client of this server with
    // DISPLAY set; it is ended with the server. Returns its pid, or -1.
    pid_t startClient(const QString& program, const QStringList& arguments = {});
    // Ends one client started above (SIGTERM, then SIGKILL after a grace period).
    void stopClient(pid_t pid);

    // Runs a short-lived X client to completion (for instance xprop) and returns its standard
    // output, or an empty string on failure.
    QString runClient(const QString& program, const QStringList& arguments) const;

private:
    bool startServer(const Options& options);
    bool launchServer(const Options& options);
    bool serverAnswers() const;
    bool waitForWindowManager();
    bool waitForTray();

    pid_t m_serverPid = -1;
    QString m_display;
    QString m_error;
    std::vector<pid_t> m_clients;
};
