#pragma once

#include <QString>
#include <QVariant>

// The value rules of the settings: slider ranges and steps, their readouts, and the version line.
namespace SettingsValues {

// A closed range walked in equal steps from `minimum`, as a slider offers it.
struct SliderRange {
    double minimum;
    double maximum;
    double step;

    // `value` clamped into the range and moved to the nearest step; not-a-number gives minimum.
    double bounded(double value) const;
    // Number of steps between minimum and maximum (45 for 5…50 by 1).
    int stepCount() const;
    // Position of a slider with stepCount() + 1 integer positions, and back.
    int stepIndex(double value) const;
    double valueAtStep(int index) const;
};

inline constexpr SliderRange kBlurRadiusRange{5.0, 50.0, 1.0};
inline constexpr SliderRange kOcrScanIntervalRange{1.0, 30.0, 1.0};

// The value truncated toward zero, in decimal: 20.0 → "20", 49.9 → "49".
QString wholeNumberReadout(double value);
QString blurRadiusReadout(double value);
// The whole number of seconds followed by "s": 5.0 → "5s".
QString ocrScanIntervalReadout(double value);

// The build number to show: the value when it is a non-empty string, else "—".
QString currentBuild(const QVariant& buildNumber);
// This build's number, as compiled in.
QString currentBuild();
// "1.4 (27)": the version, a blank, and the build in parentheses.
QString versionLine(const QString& version, const QString& build);

}  // namespace SettingsValues
