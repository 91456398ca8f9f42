#include "TestWindows.h"

#include <QDeadlineTimer>
#include <QProcessEnvironment>

TestWindows::TestWindows(const XvfbServer& server, const QString& windowClass,
                         const QStringList& layouts, const QStringList& extraArguments)
    : m_process(std::make_unique<QProcess>()) {
    QStringList arguments{QStringLiteral("--class"), windowClass};
    for (const QString& layout : layouts) {
        arguments << QStringLiteral("--window") << layout;
    }
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), server.display());
    m_process->setProcessEnvironment(env);
    m_process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process->start(QStringLiteral(CAPTURE_TEST_WINDOW), arguments + extraArguments);
    const QDeadlineTimer deadline(15'000);
    QByteArray line;
    while (!deadline.hasExpired() && !line.endsWith('\n')) {
        if (!m_process->waitForReadyRead(static_cast<int>(deadline.remainingTime()))) {
            break;
        }
        line += m_process->readAll();
    }
    const QList<QByteArray> words = line.trimmed().split(' ');
    if (words.value(0) != "ready") {
        return;
    }
    for (qsizetype i = 1; i < words.size(); ++i) {
        m_ids.append(words.at(i).toUInt());
    }
}

TestWindows::~TestWindows() {
    close();
}

void TestWindows::close() {
    if (m_process->state() != QProcess::NotRunning) {
        m_process->kill();
        m_process->waitForFinished(5000);
    }
}
