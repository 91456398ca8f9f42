#pragma once

#include "ui/controllers/ScanTimer.h"

#include <QTimer>

// The scan timer of the running application, on a QTimer of the GUI thread.
class QtScanTimer final : public ScanTimer {
public:
    QtScanTimer();

    void start(std::chrono::milliseconds delay, std::function<void()> onTimeout) override;
    void stop() override;

private:
    QTimer m_timer;
    std::function<void()> m_onTimeout;
};
