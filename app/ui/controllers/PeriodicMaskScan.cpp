#include "ui/controllers/PeriodicMaskScan.h"

#include "core/AppState.h"
#include "settings/MaskSettings.h"
#include "ui/controllers/MaskScanner.h"
#include "ui/controllers/QtScanTimer.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kFallbackIntervalSeconds = 5.0;
// Recognising a whole screen takes a good part of a second: faster passes would only queue up.
constexpr double kMinimumIntervalSeconds = 1.0;

const QString kFailureLogPrefix = QStringLiteral("[DashboardTab] Periodic OCR scan failed: ");

}  // namespace

PeriodicMaskScan::PeriodicMaskScan(MaskScanner& scanner, AppState& appState, MaskSettings& settings,
                                   std::unique_ptr<ScanTimer> timer, QObject* parent)
    : QObject(parent)
    , m_scanner(scanner)
    , m_appState(appState)
    , m_settings(settings)
    , m_timer(timer ? std::move(timer) : std::make_unique<QtScanTimer>()) {
    connect(&m_appState, &AppState::isOCRMaskingActiveChanged, this, &PeriodicMaskScan::restart);
    connect(&m_settings, &MaskSettings::scanIntervalChanged, this, &PeriodicMaskScan::restart);
    restart();
}

PeriodicMaskScan::~PeriodicMaskScan() {
    m_timer->stop();
}

std::chrono::milliseconds PeriodicMaskScan::passInterval(double seconds) {
    // Not-a-number is not above zero either.
    const double chosen = seconds > 0 ? seconds : kFallbackIntervalSeconds;
    const double bounded = std::max(chosen, kMinimumIntervalSeconds);
    return std::chrono::milliseconds(std::llround(bounded * 1000.0));
}

void PeriodicMaskScan::setDashboardShown(bool shown) {
    if (shown == m_dashboardShown) {
        return;
    }
    m_dashboardShown = shown;
    Q_EMIT dashboardShownChanged();
    restart();
}

void PeriodicMaskScan::restart() {
    const std::uint64_t generation = ++m_generation;
    m_timer->stop();
    const bool running = m_dashboardShown && m_appState.isOCRMaskingActive();
    if (running != m_isRunning) {
        m_isRunning = running;
        Q_EMIT isRunningChanged();
    }
    if (running) {
        schedule(generation);
    }
}

void PeriodicMaskScan::schedule(std::uint64_t generation) {
    m_timer->start(passInterval(m_settings.scanInterval()),
                   [this, generation] { runPass(generation); });
}

void PeriodicMaskScan::runPass(std::uint64_t generation) {
    if (generation != m_generation || !m_isRunning) {
        return;
    }
    m_scanner.scanOnce(kFailureLogPrefix).then(this, [this, generation](const MaskScanOutcome&) {
        if (generation == m_generation && m_isRunning) {
            schedule(generation);
        }
    });
}
