#include "RegionJson.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <cmath>

namespace {

QString jsonString(const QString& text) {
    // Let Qt do the escaping, then drop the array brackets around the one string.
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(array.mid(1, array.size() - 2));
}

QString jsonNumber(double value) {
    if (std::isfinite(value) && value == std::round(value) && std::abs(value) < 1e15) {
        return QString::number(static_cast<qint64>(value));
    }
    return QString::number(value, 'g', 17);
}

}  // namespace

QString regionJsonLine(const SensitiveRegion& region) {
    const QRectF& b = region.bounds;
    return QStringLiteral(R"({"kind":%1,"text":%2,"x":%3,"y":%4,"width":%5,"height":%6})")
        .arg(jsonString(rawValue(region.kind)), jsonString(region.text), jsonNumber(b.x()),
             jsonNumber(b.y()), jsonNumber(b.width()), jsonNumber(b.height()));
}
