#include "shell/QuitSequence.h"

#include "shell/ShellLogging.h"

#include <QCoreApplication>

#include <exception>

QuitSequence::QuitSequence(QObject* parent)
    : QObject(parent) {}

void QuitSequence::addStep(const QString& name, std::function<void()> step) {
    m_steps.append({name, std::move(step)});
}

void QuitSequence::quit() {
    if (m_quitting) {
        return;
    }
    m_quitting = true;
    for (const Step& step : std::as_const(m_steps)) {
        try {
            step.run();
        } catch (const std::exception& error) {
            qCCritical(lcApp) << "Restore step" << step.name << "failed:" << error.what();
        }
    }
    Q_EMIT restored();
    // exit() rather than quit(): quit() asks every window to close first, and the main window
    // refuses (it only hides), which would cancel the quit.
    QCoreApplication::exit(0);
}
