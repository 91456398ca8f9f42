#pragma once

#include <QObject>

#include <functional>

class QWidget;

// Tells a view's controller when its window is shown and hidden by the application (open, close),
// not when the window system merely iconifies it. Owned by the watched widget. GUI thread only.
class ShownWatcher final : public QObject {
    Q_OBJECT

public:
    static void watch(QWidget& widget, std::function<void()> shown, std::function<void()> hidden);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    ShownWatcher(QWidget& widget, std::function<void()> shown, std::function<void()> hidden);

    std::function<void()> m_shown;
    std::function<void()> m_hidden;
};
