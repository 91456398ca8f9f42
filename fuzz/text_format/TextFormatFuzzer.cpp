// A translation with random placeholders, formatted with up to three arguments of either kind.
// The contract: never read past the arguments, never crash, whatever the text.

#include "settings/TextFormat.h"

#include <QString>
#include <QVariant>
#include <QVariantList>

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::uint8_t shape = data[0];
    const QString format = QString::fromUtf8(reinterpret_cast<const char*>(data + 1),
                                             static_cast<qsizetype>(size - 1));
    QVariantList arguments;
    for (int i = 0; i < (shape & 3); ++i) {
        if ((shape >> (2 + i)) & 1) {
            arguments.append(QStringLiteral("%@%d%%"));  // placeholders in an argument stay text
        } else {
            arguments.append(-2147483647 - 1 + i);
        }
    }
    (void)TextFormat::formatted(format, arguments);
    return 0;
}
