#include "settings/MaskSettings.h"

#include "core/Preferences.h"
#include "core/UserDefaults.h"
#include "support/TempDir.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

TEST(MaskSettingsTest, AStoredValueThatIsNoNumberReadsAsTheDefault) {
    TempDir dir;
    UserDefaults defaults(dir.filePath(QStringLiteral("Velarion.conf")));
    defaults.setValue(QString::fromLatin1(Preferences::kOcrScanInterval), QStringLiteral("soon"));
    const MaskSettings settings(defaults);
    EXPECT_DOUBLE_EQ(settings.scanInterval(), 5.0);
}

TEST(MaskSettingsTest, TwoSettingsOnOneStoreStayInStepAndAnnounceOnlyRealChanges) {
    TempDir dir;
    UserDefaults defaults(dir.filePath(QStringLiteral("Velarion.conf")));
    MaskSettings writer(defaults);
    MaskSettings reader(defaults);
    QSignalSpy blur(&reader, &MaskSettings::blurRadiusChanged);
    QSignalSpy opacity(&reader, &MaskSettings::maskOpacityChanged);
    QSignalSpy interval(&reader, &MaskSettings::scanIntervalChanged);

    struct Step {
        double blurRadius;
        double expectedOpacity;
        int blurSignals;
        int opacitySignals;
    };
    const Step steps[] = {
        {40, 0.8, 1, 1}, {40, 0.8, 1, 1},  // the same value again: silence
        {5, 0.3, 2, 2},  {10, 0.3, 3, 2},  // 0.2 raised to the minimum: the opacity did not change
        {50, 1.0, 4, 3},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.blurRadius);
        writer.setBlurRadius(step.blurRadius);
        EXPECT_DOUBLE_EQ(reader.blurRadius(), step.blurRadius);
        EXPECT_DOUBLE_EQ(reader.maskOpacity(), step.expectedOpacity);
        EXPECT_DOUBLE_EQ(writer.maskOpacity(), step.expectedOpacity);
        EXPECT_EQ(blur.count(), step.blurSignals);
        EXPECT_EQ(opacity.count(), step.opacitySignals);
    }
    EXPECT_EQ(interval.count(), 0);

    // Another writer of the store (the settings window) reaches both.
    defaults.setValue(QString::fromLatin1(Preferences::kOcrScanInterval), 7.0);
    EXPECT_DOUBLE_EQ(reader.scanInterval(), 7.0);
    EXPECT_DOUBLE_EQ(writer.scanInterval(), 7.0);
    EXPECT_EQ(interval.count(), 1);
    defaults.remove(QString::fromLatin1(Preferences::kOcrScanInterval));
    EXPECT_DOUBLE_EQ(reader.scanInterval(), 5.0);
    EXPECT_EQ(interval.count(), 2);
    EXPECT_EQ(blur.count(), 4) << "a write of another key is not a blur change";
}
