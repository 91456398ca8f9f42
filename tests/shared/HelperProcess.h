#pragma once

#include <QProcess>
#include <QStringList>

#include <gtest/gtest.h>

#include <string>

// The hand-off test helper running as a separate process, spoken to line by line.
class HelperProcess {
public:
    explicit HelperProcess(const QStringList& arguments) {
        m_process.setProgram(QStringLiteral(HANDOFF_HELPER));
        m_process.setArguments(arguments);
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start();
        EXPECT_TRUE(m_process.waitForStarted(10000)) << "helper did not start";
    }
    ~HelperProcess() {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.closeWriteChannel();
            if (!m_process.waitForFinished(5000)) {
                m_process.kill();
                m_process.waitForFinished(5000);
            }
        }
    }

    // Sends one command and returns the helper's one-line answer ("" on timeout or exit).
    std::string ask(const std::string& line) {
        m_process.write((line + "\n").c_str());
        while (!m_process.canReadLine()) {
            if (!m_process.waitForReadyRead(15000)) {
                return {};
            }
        }
        return m_process.readLine().trimmed().toStdString();
    }

    void killHard() {
        m_process.kill();  // SIGKILL
        EXPECT_TRUE(m_process.waitForFinished(30000)) << "helper outlived SIGKILL";
    }

private:
    QProcess m_process;
};
