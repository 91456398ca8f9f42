#include "settings/SettingsValues.h"

#include "core/AppInfo.h"

#include <algorithm>
#include <cmath>

namespace SettingsValues {

double SliderRange::bounded(double value) const {
    if (std::isnan(value)) {
        return minimum;
    }
    const double clamped = std::clamp(value, minimum, maximum);
    return valueAtStep(stepIndex(clamped));
}

int SliderRange::stepCount() const {
    return static_cast<int>(std::floor((maximum - minimum) / step + 1e-9));
}

int SliderRange::stepIndex(double value) const {
    if (std::isnan(value)) {
        return 0;
    }
    const double clamped = std::clamp(value, minimum, maximum);
    return std::clamp(static_cast<int>(std::lround((clamped - minimum) / step)), 0, stepCount());
}

double SliderRange::valueAtStep(int index) const {
    return std::min(maximum, minimum + std::clamp(index, 0, stepCount()) * step);
}

QString wholeNumberReadout(double value) {
    // Converting a non-finite or huge double to an integer is undefined; such values never come
    // from a bounded slider but may come from a hand-edited preferences file.
    constexpr double kLimit = 1e15;
    const double truncated =
        std::isfinite(value) ? std::trunc(std::clamp(value, -kLimit, kLimit)) : 0.0;
    return QString::number(static_cast<qint64>(truncated));
}

QString blurRadiusReadout(double value) {
    return wholeNumberReadout(value);
}

QString ocrScanIntervalReadout(double value) {
    return wholeNumberReadout(value) + QLatin1Char('s');
}

QString currentBuild(const QVariant& buildNumber) {
    if (buildNumber.typeId() == QMetaType::QString && !buildNumber.toString().isEmpty()) {
        return buildNumber.toString();
    }
    return QStringLiteral("—");
}

QString currentBuild() {
    return currentBuild(QVariant(QString::fromLatin1(AppInfo::kBuildNumber)));
}

QString versionLine(const QString& version, const QString& build) {
    return version + QStringLiteral(" (") + build + QLatin1Char(')');
}

}  // namespace SettingsValues
