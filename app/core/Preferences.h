#pragma once

#include <QVariantMap>

class UserDefaults;

// Preference keys shared by several subsystems, and the defaults registered at every launch.
namespace Preferences {

inline constexpr char kBlurRadius[] = "blurRadius";
inline constexpr char kOcrScanInterval[] = "ocrScanInterval";
inline constexpr char kLaunchAtLogin[] = "launchAtLogin";

inline constexpr double kDefaultBlurRadius = 20.0;
inline constexpr double kDefaultOcrScanIntervalSeconds = 5.0;
inline constexpr bool kDefaultLaunchAtLogin = false;

QVariantMap registrationDefaults();

// Registers the defaults above in one call; nothing is written to the store.
void registerDefaults(UserDefaults& defaults);

}  // namespace Preferences
