#include "core/Preferences.h"

#include "core/UserDefaults.h"

namespace Preferences {

QVariantMap registrationDefaults() {
    return {
        {QString::fromLatin1(kBlurRadius), kDefaultBlurRadius},
        {QString::fromLatin1(kOcrScanInterval), kDefaultOcrScanIntervalSeconds},
        {QString::fromLatin1(kLaunchAtLogin), kDefaultLaunchAtLogin},
    };
}

void registerDefaults(UserDefaults& defaults) {
    defaults.registerDefaults(registrationDefaults());
}

}  // namespace Preferences
