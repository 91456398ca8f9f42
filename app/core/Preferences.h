#pragma once

#include <QVariantMap>

class UserDefaults;

// Preference keys shared by several subsystems, and the defaults registered at every launch.
namespace Preferences {

inline constexpr char kBlurRadius[] = "blurRadius";
inline constexpr char kOcrScanInterval[] = "ocrScanInterval";
inline constexpr char kLaunchAtLogin[] = "launchAtLogin";
// The camera set-up window has been opened once; and it is to be reopened at the next launch
// (after "Quit & Reopen"). Both are absent until first written, which reads as false.
inline constexpr char kHasSeenCameraSetup[] = "hasSeenCameraSetup";
inline constexpr char kResumeCameraSetup[] = "resumeCameraSetup";

inline constexpr double kDefaultBlurRadius = 20.0;
inline constexpr double kDefaultOcrScanIntervalSeconds = 5.0;
inline constexpr bool kDefaultLaunchAtLogin = false;
inline constexpr bool kDefaultHasSeenCameraSetup = false;
inline constexpr bool kDefaultResumeCameraSetup = false;

QVariantMap registrationDefaults();

// Registers the defaults above in one call; nothing is written to the store.
void registerDefaults(UserDefaults& defaults);

}  // namespace Preferences
