// A recognised line of any text through the sensitive-data patterns. Every match must be text
// that the line holds.

#include "ocr/SensitivePatternTable.h"

#include <QString>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString line =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    for (const SensitiveMatch& match : SensitivePatternTable::sensitiveMatches(line)) {
        if (match.text.isEmpty() || !line.contains(match.text)) {
            std::abort();
        }
    }
    return 0;
}
