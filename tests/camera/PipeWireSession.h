#pragma once

#include <QDir>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <memory>
#include <vector>

// A private PipeWire session for one test: a session bus, the PipeWire daemon and WirePlumber,
// with their own runtime, state and config folders, ended by pid in reverse order.
class PipeWireSession {
public:
    PipeWireSession();
    ~PipeWireSession();

    bool isReady() const { return m_ready; }
    // The environment in which a process talks to this session.
    QProcessEnvironment environment() const { return m_environment; }

    // Starts `program` in the session, with `extraEnvironment` on top of the session's; the
    // process ends with the session.
    QProcess& startProcess(const QString& program, const QStringList& arguments,
                           const QProcessEnvironment& extraEnvironment = {});
    // Runs a short command in the session and returns its standard output.
    QString run(const QString& program, const QStringList& arguments, int timeoutMs = 20000);
    // Waits until `check` returns true, polling; false after `timeoutMs`.
    static bool waitFor(const std::function<bool()>& check, int timeoutMs);

private:
    QTemporaryDir m_dir;
    QProcessEnvironment m_environment;
    std::vector<std::unique_ptr<QProcess>> m_processes;
    bool m_ready = false;
};
