#pragma once

#include <QMutex>
#include <QString>
#include <QStringList>
#include <QtGlobal>

// Records the Qt log messages written while it exists, from any thread. One at a time: it replaces
// the process's message handler and puts the previous one back when it ends.
class LogCapture {
public:
    struct Line {
        QtMsgType type;
        QString category;
        QString text;
    };

    LogCapture() {
        const QMutexLocker lock(&s_mutex);
        s_lines.clear();
        m_previous = qInstallMessageHandler(&LogCapture::record);
    }
    ~LogCapture() { qInstallMessageHandler(m_previous); }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    // The texts written in `category` (every category when empty), at `minimum` level or above.
    QStringList texts(const QString& category = {}, QtMsgType minimum = QtDebugMsg) const {
        const QMutexLocker lock(&s_mutex);
        QStringList texts;
        for (const Line& line : s_lines) {
            if ((category.isEmpty() || line.category == category) &&
                severity(line.type) >= severity(minimum)) {
                texts << line.text;
            }
        }
        return texts;
    }

private:
    static int severity(QtMsgType type) {
        switch (type) {
            case QtDebugMsg:
                return 0;
            case QtInfoMsg:
                return 1;
            case QtWarningMsg:
                return 2;
            case QtCriticalMsg:
                return 3;
            case QtFatalMsg:
                return 4;
        }
        return 0;
    }
    static void record(QtMsgType type, const QMessageLogContext& context, const QString& text) {
        const QMutexLocker lock(&s_mutex);
        s_lines.append({type, QString::fromLatin1(context.category), text});
    }

    static inline QMutex s_mutex;
    static inline QList<Line> s_lines;
    QtMessageHandler m_previous = nullptr;
};
