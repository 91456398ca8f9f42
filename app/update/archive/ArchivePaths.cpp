#include "update/archive/ArchivePaths.h"

#include <QStringList>

namespace ArchivePaths {

std::optional<QString> safeRelative(const QString& name) {
    if (name.isEmpty() || name.startsWith(QLatin1Char('/'))) {
        return std::nullopt;
    }
    QStringList kept;
    for (const QString& piece : name.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (piece == QLatin1String("..")) {
            return std::nullopt;
        }
        if (piece != QLatin1String(".")) {
            kept.append(piece);
        }
    }
    if (kept.isEmpty()) {
        return std::nullopt;
    }
    return kept.join(QLatin1Char('/'));
}

bool linkStaysInside(const QString& linkPath, const QString& target) {
    if (target.isEmpty() || target.startsWith(QLatin1Char('/'))) {
        return false;
    }
    const qsizetype depth = linkPath.count(QLatin1Char('/'));
    qsizetype climbs = 0;
    bool descended = false;
    for (const QString& piece : target.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (piece == QLatin1String(".")) {
            continue;
        }
        if (piece == QLatin1String("..")) {
            if (descended) {
                return false;
            }
            ++climbs;
        } else {
            descended = true;
        }
    }
    return climbs <= depth;
}

}  // namespace ArchivePaths
