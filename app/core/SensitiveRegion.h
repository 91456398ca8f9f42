#pragma once

#include "core/SensitiveDataKind.h"

#include <QList>
#include <QMetaType>
#include <QRectF>
#include <QString>
#include <QUuid>

// One piece of sensitive text found on screen. Identity is `id` (fresh per region); the record
// deliberately has no equality: two scans never produce "the same" region.
struct SensitiveRegion {
    QUuid id;
    QRectF bounds;
    SensitiveDataKind kind = SensitiveDataKind::email;
    QString text;
};

Q_DECLARE_METATYPE(SensitiveRegion)
