#pragma once

#include <QList>
#include <QObject>
#include <QString>

#include <functional>

// The one way the application ends: the popover's "Quit", the tray menu, the update installer and
// the termination signals all come here. The restore steps run in the order they were added, each
// once, then the event loop is asked to quit. A second request while quitting is ignored.
class QuitSequence final : public QObject {
    Q_OBJECT

public:
    explicit QuitSequence(QObject* parent = nullptr);

    // `name` appears in the log if the step throws; a failing step never stops the later ones.
    void addStep(const QString& name, std::function<void()> step);

    bool isQuitting() const { return m_quitting; }

public Q_SLOTS:
    void quit();

Q_SIGNALS:
    // Emitted after the restore steps, just before the event loop is told to quit.
    void restored();

private:
    struct Step {
        QString name;
        std::function<void()> run;
    };
    QList<Step> m_steps;
    bool m_quitting = false;
};
