#pragma once

#include "support/XvfbServer.h"

#include <QList>
#include <QProcess>
#include <QStringList>

#include <memory>

// One X client process from the capture test helper, of class `windowClass`, with one window per
// layout ("WxH+X+Y#RRGGBB[:TITLE]"): their ids, once all are mapped. Ended (and so its windows
// closed) when the object goes away.
class TestWindows {
public:
    TestWindows(const XvfbServer& server, const QString& windowClass, const QStringList& layouts,
                const QStringList& extraArguments = {});
    ~TestWindows();

    bool isReady() const { return !m_ids.isEmpty(); }
    const QList<quint32>& ids() const { return m_ids; }
    qint64 processId() const { return m_process->processId(); }
    void close();

private:
    std::unique_ptr<QProcess> m_process;
    QList<quint32> m_ids;
};
