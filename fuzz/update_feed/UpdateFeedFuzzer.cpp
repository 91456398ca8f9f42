// The update feed as a server could send it: decoded, and its version compared both ways with
// others. Version order must stay a strict order whatever the text.

#include "update/Manifest.h"
#include "update/UpdateChecker.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <cstdlib>

namespace {

void checkOrder(const QString& a, const QString& b) {
    if (UpdateChecker::isNewer(a, b) && UpdateChecker::isNewer(b, a)) {
        std::abort();  // both newer than each other
    }
    if (UpdateChecker::isNewer(a, a)) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    if (const std::optional<Manifest> manifest = Manifest::decode(bytes)) {
        checkOrder(manifest->version, QStringLiteral("1.0.0"));
        checkOrder(manifest->version, manifest->url);
    }
    // The raw text split in two as a pair of versions, for inputs that are not JSON.
    const qsizetype middle = bytes.indexOf('\n');
    if (middle >= 0) {
        checkOrder(QString::fromUtf8(bytes.left(middle)), QString::fromUtf8(bytes.mid(middle + 1)));
    }
    return 0;
}
