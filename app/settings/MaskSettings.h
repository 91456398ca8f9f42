#pragma once

#include <QObject>

class UserDefaults;

// The mask's two preferences as observable values: "blurRadius" (mask strength, default 20) and
// "ocrScanInterval" (seconds between the dashboard's scans, default 5), plus the opacity the
// mask is drawn with, derived from the strength by the overlay's one rule.
//
// The values live in `defaults` only; this object caches them to announce real changes. It
// follows the store's change signal rather than its own writes, so any number of MaskSettings
// (one per view) and any other writer of these keys on the same store stay in step without a
// shared instance. GUI thread only; `defaults` must outlive this object.
class MaskSettings final : public QObject {
    Q_OBJECT
    Q_PROPERTY(double blurRadius READ blurRadius WRITE setBlurRadius NOTIFY blurRadiusChanged)
    Q_PROPERTY(
        double scanInterval READ scanInterval WRITE setScanInterval NOTIFY scanIntervalChanged)
    Q_PROPERTY(double maskOpacity READ maskOpacity NOTIFY maskOpacityChanged)

public:
    explicit MaskSettings(UserDefaults& defaults, QObject* parent = nullptr);

    double blurRadius() const { return m_blurRadius; }
    double scanInterval() const { return m_scanInterval; }
    double maskOpacity() const { return m_maskOpacity; }

    // Stores the value; observers (of this and every other MaskSettings on the store) hear of it
    // only when the value read back differs from the one they held.
    void setBlurRadius(double blurRadius);
    void setScanInterval(double seconds);

Q_SIGNALS:
    void blurRadiusChanged();
    void scanIntervalChanged();
    void maskOpacityChanged();

private:
    void reload(const QString& key);

    UserDefaults& m_defaults;
    double m_blurRadius;
    double m_scanInterval;
    double m_maskOpacity;
};
