#include "core/SensitiveDataKind.h"

QString rawValue(SensitiveDataKind kind) {
    switch (kind) {
        case SensitiveDataKind::email:
            return QStringLiteral("Email");
        case SensitiveDataKind::creditCard:
            return QStringLiteral("Credit Card");
        case SensitiveDataKind::phoneNumber:
            return QStringLiteral("Phone Number");
        case SensitiveDataKind::ssn:
            return QStringLiteral("SSN");
    }
    Q_UNREACHABLE();
    return {};
}

std::optional<SensitiveDataKind> sensitiveDataKindFromRawValue(QStringView raw) {
    for (const SensitiveDataKind kind : kAllSensitiveDataKinds) {
        if (raw == rawValue(kind)) {
            return kind;
        }
    }
    return std::nullopt;
}
