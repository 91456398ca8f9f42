#pragma once

#include "support/WaitFor.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <memory>
#include <vector>

// A private PipeWire session for one test: a session bus, the PipeWire daemon and WirePlumber,
// with their own runtime, state and config folders, ended by pid in reverse order.
class PipeWireSession {
public:
    // `runtimeFolder`, when given, is used instead of a folder of the session's own (see
    // HandoffNamespace::folder()); it must outlive the session.
    explicit PipeWireSession(const QString& runtimeFolder = {}) {
        if (!m_dir.isValid()) {
            return;
        }
        const QString dir = runtimeFolder.isEmpty() ? m_dir.path() : runtimeFolder;
        QFile::setPermissions(
            dir, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QDir().mkpath(dir + QStringLiteral("/state"));
        QDir().mkpath(dir + QStringLiteral("/config"));
        m_environment = QProcessEnvironment::systemEnvironment();
        m_environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir);
        m_environment.insert(QStringLiteral("PIPEWIRE_RUNTIME_DIR"), dir);
        m_environment.insert(QStringLiteral("XDG_STATE_HOME"), dir + QStringLiteral("/state"));
        m_environment.insert(QStringLiteral("XDG_CONFIG_HOME"), dir + QStringLiteral("/config"));
        m_environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
                             QStringLiteral("unix:path=") + dir + QStringLiteral("/bus"));
        m_environment.remove(QStringLiteral("PIPEWIRE_REMOTE"));
        // A machine with a real v4l2loopback device would otherwise give every daemon an extra
        // client: an application started here passes "none" to the daemon it starts (the daemons
        // a test starts itself are given the option directly).
        m_environment.insert(QStringLiteral("VELARION_TEST_V4L2_DEVICE"), QStringLiteral("none"));

        // WirePlumber ends at once without a session bus, so the bus comes first.
        startProcess(
            QStringLiteral("/usr/bin/dbus-daemon"),
            {"--session", "--address=unix:path=" + dir + "/bus", "--nofork", "--nopidfile"});
        m_ready = waitFor([&] { return QFile::exists(dir + "/bus"); }) && startPipeWire();
    }

    ~PipeWireSession() {
        for (auto it = m_processes.rbegin(); it != m_processes.rend(); ++it) {
            end(**it);
        }
    }

    bool isReady() const { return m_ready; }

    // Ends PipeWire and WirePlumber and starts them again, as a restart of the user's services
    // would; true once the new ones are up.
    bool restartPipeWire() {
        end(*m_processes.at(2));
        end(*m_processes.at(1));
        return startPipeWire();
    }
    // The environment in which a process talks to this session.
    QProcessEnvironment environment() const { return m_environment; }

    // Starts `program` in the session, with `extra` on top of the session's environment; the
    // process ends with the session.
    QProcess& startProcess(const QString& program, const QStringList& arguments,
                           const QProcessEnvironment& extra = {}) {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment environment = m_environment;
        environment.insert(extra);
        process->setProcessEnvironment(environment);
        process->start(program, arguments);
        process->waitForStarted(10000);
        m_processes.push_back(std::move(process));
        return *m_processes.back();
    }

    // Runs a short command in the session and returns its standard output.
    QString run(const QString& program, const QStringList& arguments, int timeoutMs = 20000) {
        QProcess process;
        process.setProcessEnvironment(m_environment);
        process.start(program, arguments);
        if (!process.waitForFinished(timeoutMs)) {
            process.kill();
            process.waitForFinished(5000);
            return {};
        }
        return QString::fromUtf8(process.readAllStandardOutput());
    }
    QString pwCli(const QStringList& arguments) {
        return run(QStringLiteral("/usr/bin/pw-cli"), arguments);
    }

private:
    bool startPipeWire() {
        startProcess(QStringLiteral("/usr/bin/pipewire"), {});
        if (!waitFor([&] { return pwCli({"info", "0"}).contains("PipeWire:Interface:Core"); })) {
            return false;
        }
        startProcess(QStringLiteral("/usr/bin/wireplumber"), {});
        return waitFor([&] { return pwCli({"ls", "Metadata"}).contains("\"default\""); });
    }
    static void end(QProcess& process) {
        if (process.state() != QProcess::NotRunning) {
            process.terminate();
            if (!process.waitForFinished(5000)) {
                process.kill();
                process.waitForFinished(5000);
            }
        }
    }

    QTemporaryDir m_dir;
    QProcessEnvironment m_environment;
    std::vector<std::unique_ptr<QProcess>> m_processes;
    bool m_ready = false;
};
