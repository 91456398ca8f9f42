#include "shell/ShownWatcher.h"

#include <QEvent>
#include <QWidget>

ShownWatcher::ShownWatcher(QWidget& widget, std::function<void()> shown,
                           std::function<void()> hidden)
    : QObject(&widget)
    , m_shown(std::move(shown))
    , m_hidden(std::move(hidden)) {
    widget.installEventFilter(this);
}

void ShownWatcher::watch(QWidget& widget, std::function<void()> shown,
                         std::function<void()> hidden) {
    new ShownWatcher(widget, std::move(shown), std::move(hidden));
}

bool ShownWatcher::eventFilter(QObject* watched, QEvent* event) {
    // Spontaneous shows and hides come from the window system (iconify, restore): the window was
    // neither opened nor closed.
    if (!event->spontaneous()) {
        if (event->type() == QEvent::Show) {
            m_shown();
        } else if (event->type() == QEvent::Hide) {
            m_hidden();
        }
    }
    return QObject::eventFilter(watched, event);
}
