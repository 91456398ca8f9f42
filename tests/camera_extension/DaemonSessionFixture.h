#pragma once

#include "PipeWireSession.h"
#include "shared/HandoffNamespace.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

// The camera daemon in a private PipeWire session, with what it logs kept for the test. Every
// wait allows 30 s: the daemon may be sanitizer-instrumented on a busy machine.
class DaemonSessionFixture : public ::testing::Test {
protected:
    static constexpr int kTimeoutMs = 30000;

    void SetUp() override {
        ASSERT_TRUE(m_session.isReady()) << "the private PipeWire session did not come up";
    }

    // Starts the daemon in the foreground and waits for its node to be in the registry.
    void startDaemon(QStringList arguments = {}, const QProcessEnvironment& environment = {}) {
        arguments.prepend(QStringLiteral("--foreground"));
        if (!arguments.contains(QStringLiteral("--v4l2-device"))) {
            arguments << QStringLiteral("--v4l2-device") << QStringLiteral("none");
        }
        m_daemon = &m_session.startProcess(QStringLiteral(CAMERA_DAEMON), arguments, environment);
        ASSERT_TRUE(waitFor([&] {
            return m_session.pwCli({"ls", "Node"}).contains("velarion-camera");
        })) << log();
    }

    // Everything the daemon has written to standard error so far.
    std::string log() {
        QCoreApplication::processEvents();  // lets the process read its pipes
        m_log += QString::fromUtf8(m_daemon->readAllStandardError());
        return m_log.toStdString();
    }
    int logCount(const QString& line) {
        log();
        return int(m_log.count(line));
    }
    // The log reaches this process through a pipe: whatever else has been observed, a line is
    // only counted once it has been read, so every check on the log waits for it.
    bool waitForLog(const QString& line, int count = 1) {
        return waitFor([&] { return logCount(line) >= count; });
    }
    static bool waitFor(const std::function<bool()>& check) { return ::waitFor(check, kTimeoutMs); }

    // A consumer taking frames until it is ended, and throwing them away.
    QProcess& startConsumer() {
        return m_session.startProcess(QStringLiteral("/usr/bin/gst-launch-1.0"),
                                      consumer(0, QStringLiteral("fakesink")));
    }

    // Runs a consumer for four frames and returns the centre pixel of the last (B, G, R, A);
    // empty when it got no frame.
    std::vector<int> receiveCentrePixel() {
        const QString file = m_files.filePath(QStringLiteral("frames%1.raw").arg(++m_received));
        const QString sink =
            "videoscale ! video/x-raw,width=16,height=9 ! filesink location=" + file;
        m_session.run(QStringLiteral("/usr/bin/gst-launch-1.0"), consumer(4, sink), 2 * kTimeoutMs);
        QFile raw(file);
        const QByteArray bytes = raw.open(QIODevice::ReadOnly) ? raw.readAll() : QByteArray();
        constexpr int kFrameBytes = 16 * 9 * 4;
        if (bytes.size() < kFrameBytes) {
            return {};
        }
        const char* centre = bytes.constData() + bytes.size() - kFrameBytes + (4 * 16 + 8) * 4;
        return {std::uint8_t(centre[0]), std::uint8_t(centre[1]), std::uint8_t(centre[2]),
                std::uint8_t(centre[3])};
    }

    HandoffNamespace m_namespace;  // before the session, which runs in its folder
    PipeWireSession m_session{m_namespace.folder()};
    // In memory: a fake device node's recording takes a whole frame 30 times a second, which a
    // disk-backed mapping would turn into writeback stalls for the daemon and the reader alike.
    QTemporaryDir m_files{QStringLiteral("/dev/shm/velarion-camera-test-XXXXXX")};
    QProcess* m_daemon = nullptr;
    QString m_log;
    int m_received = 0;

private:
    static QStringList consumer(int buffers, const QString& sink) {
        return QStringLiteral(
                   "-q pipewiresrc target-object=velarion-camera num-buffers=%1 ! "
                   "video/x-raw,format=BGRA,width=1920,height=1080 ! %2")
            .arg(buffers ? buffers : -1)
            .arg(sink)
            .split(QLatin1Char(' '));
    }
};
