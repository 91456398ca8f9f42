#pragma once

#include "core/SensitiveDataKind.h"

#include <QList>
#include <QString>

// One hit of a pattern in a line: the kind of the pattern and only the characters it matched.
struct SensitiveMatch {
    SensitiveDataKind kind = SensitiveDataKind::email;
    QString text;

    friend bool operator==(const SensitiveMatch&, const SensitiveMatch&) = default;
};

// The four patterns for sensitive text, compiled once per process on first use (safe when several
// threads get there together) and shared read-only afterwards.
namespace SensitivePatternTable {

// Every match of every pattern in `line`, searched over its UTF-16 code units: ordered by pattern
// (e-mail, credit card, phone, SSN), then by position; no de-duplication across patterns. A match
// whose range does not fall on character boundaries of `line` is dropped. Thread-safe.
QList<SensitiveMatch> sensitiveMatches(const QString& line);

// How many patterns compiled (four unless the regular-expression engine refused one).
int compiledPatternCount();

}  // namespace SensitivePatternTable
