#include "PipeWireSession.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <functional>

PipeWireSession::PipeWireSession() {
    if (!m_dir.isValid()) {
        return;
    }
    QFile::setPermissions(m_dir.path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    const QString dir = m_dir.path();
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
    // client; the tests that want one name their fake device on the command line.
    m_environment.insert(QStringLiteral("VELARION_V4L2_DEVICE"), QStringLiteral("none"));

    // WirePlumber ends at once without a session bus, so the bus comes first.
    startProcess(QStringLiteral("/usr/bin/dbus-daemon"),
                 {QStringLiteral("--session"),
                  QStringLiteral("--address=unix:path=") + dir + QStringLiteral("/bus"),
                  QStringLiteral("--nofork"), QStringLiteral("--nopidfile")});
    if (!waitFor([&] { return QFile::exists(dir + QStringLiteral("/bus")); }, 20000)) {
        return;
    }
    startProcess(QStringLiteral("/usr/bin/pipewire"), {});
    if (!waitFor(
            [&] {
                return run(QStringLiteral("/usr/bin/pw-cli"),
                           {QStringLiteral("info"), QStringLiteral("0")})
                    .contains(QStringLiteral("PipeWire:Interface:Core"));
            },
            20000)) {
        return;
    }
    startProcess(QStringLiteral("/usr/bin/wireplumber"), {});
    m_ready = waitFor(
        [&] {
            return run(QStringLiteral("/usr/bin/pw-cli"),
                       {QStringLiteral("ls"), QStringLiteral("Metadata")})
                .contains(QStringLiteral("\"default\""));
        },
        20000);
}

PipeWireSession::~PipeWireSession() {
    for (auto it = m_processes.rbegin(); it != m_processes.rend(); ++it) {
        QProcess& process = **it;
        if (process.state() != QProcess::NotRunning) {
            process.terminate();
            if (!process.waitForFinished(5000)) {
                process.kill();
                process.waitForFinished(5000);
            }
        }
    }
}

QProcess& PipeWireSession::startProcess(const QString& program, const QStringList& arguments,
                                        const QProcessEnvironment& extraEnvironment) {
    auto process = std::make_unique<QProcess>();
    QProcessEnvironment environment = m_environment;
    environment.insert(extraEnvironment);
    process->setProcessEnvironment(environment);
    process->setProgram(program);
    process->setArguments(arguments);
    process->start();
    process->waitForStarted(10000);
    m_processes.push_back(std::move(process));
    return *m_processes.back();
}

QString PipeWireSession::run(const QString& program, const QStringList& arguments, int timeoutMs) {
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

bool PipeWireSession::waitFor(const std::function<bool()>& check, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (!check()) {
        if (timer.elapsed() > timeoutMs) {
            return false;
        }
        QCoreApplication::processEvents();
        QThread::msleep(50);
    }
    return true;
}
