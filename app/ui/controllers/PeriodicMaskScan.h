#pragma once

#include <QObject>

#include <chrono>
#include <cstdint>
#include <memory>

class AppState;
class MaskScanner;
class MaskSettings;
class ScanTimer;

// The dashboard's repeated mask scan. It runs while the dashboard is shown and the mask is on:
// one interval after it starts, a scan; when that scan has ended, the next interval; and so on.
// Every change of the mask flag, of the dashboard's visibility or of the interval preference
// cancels the pending pass and, if it still runs, starts counting a new interval from then. A
// scan already under way then still applies its own result, but schedules nothing.
//
// A failed snapshot prints "[DashboardTab] Periodic OCR scan failed: …" and the passes go on.
// GUI thread only; the scanner, state and settings must outlive this object.
class PeriodicMaskScan final : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool dashboardShown READ dashboardShown WRITE setDashboardShown NOTIFY
                   dashboardShownChanged)
    Q_PROPERTY(bool isRunning READ isRunning NOTIFY isRunningChanged)

public:
    // Without a timer, a QTimer-based one is used.
    PeriodicMaskScan(MaskScanner& scanner, AppState& appState, MaskSettings& settings,
                     std::unique_ptr<ScanTimer> timer = nullptr, QObject* parent = nullptr);
    ~PeriodicMaskScan() override;

    // The wait before each pass for a stored interval of `seconds`: 5 s when it is not above
    // zero, and never below 1 s.
    static std::chrono::milliseconds passInterval(double seconds);

    bool dashboardShown() const { return m_dashboardShown; }
    void setDashboardShown(bool shown);
    bool isRunning() const { return m_isRunning; }

Q_SIGNALS:
    void dashboardShownChanged();
    void isRunningChanged();

private:
    void restart();
    void schedule(std::uint64_t generation);
    void runPass(std::uint64_t generation);

    MaskScanner& m_scanner;
    AppState& m_appState;
    MaskSettings& m_settings;
    std::unique_ptr<ScanTimer> m_timer;

    bool m_dashboardShown = false;
    bool m_isRunning = false;
    // Counts restarts; a pass or scan of an older count belongs to a cancelled run.
    std::uint64_t m_generation = 0;
};
