#pragma once

#include <QList>
#include <QObject>

class QSocketNotifier;

// Turns SIGTERM, SIGINT and SIGHUP into a Qt signal on the GUI thread (self-pipe), so that a
// logout or a kill runs the same restore as "Quit" instead of leaving icons hidden. One instance
// per process.
class UnixSignalWatcher final : public QObject {
    Q_OBJECT

public:
    explicit UnixSignalWatcher(QObject* parent = nullptr);
    ~UnixSignalWatcher() override;

Q_SIGNALS:
    void terminationRequested(int signalNumber);

private:
    void readSignal();

    QSocketNotifier* m_notifier = nullptr;
};
