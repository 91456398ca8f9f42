#pragma once

#include <QString>
#include <QStringView>

#include <array>
#include <optional>

// What kind of sensitive text a region holds. The raw value is also the label shown to the user.
enum class SensitiveDataKind { email, creditCard, phoneNumber, ssn };

inline constexpr std::array kAllSensitiveDataKinds{
    SensitiveDataKind::email, SensitiveDataKind::creditCard, SensitiveDataKind::phoneNumber,
    SensitiveDataKind::ssn};

QString rawValue(SensitiveDataKind kind);

// Exact, case-sensitive match of a raw value; anything else gives no kind.
std::optional<SensitiveDataKind> sensitiveDataKindFromRawValue(QStringView raw);
