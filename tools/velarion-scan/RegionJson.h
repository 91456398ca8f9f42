#pragma once

#include "core/SensitiveRegion.h"

#include <QString>

// One region as one line of JSON, keys in a fixed order:
// {"kind":"Email","text":"…","x":…,"y":…,"width":…,"height":…}
QString regionJsonLine(const SensitiveRegion& region);
