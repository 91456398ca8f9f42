#include "ocr/SensitivePatternTable.h"

#include <unicode/regex.h>
#include <unicode/unistr.h>

#include <memory>
#include <utility>
#include <vector>

namespace SensitivePatternTable {
namespace {

struct Entry {
    SensitiveDataKind kind;
    std::unique_ptr<icu::RegexPattern> pattern;
};

// Written as the regular-expression engine receives them: every backslash belongs to the pattern.
constexpr std::pair<SensitiveDataKind, const char16_t*> kPatternSources[] = {
    {SensitiveDataKind::email, uR"([a-zA-Z0-9._%+\-]+@[a-zA-Z0-9.\-]+\.[a-zA-Z]{2,})"},
    {SensitiveDataKind::creditCard,
     uR"(\b(?:4[0-9]{12}(?:[0-9]{3})?|5[1-5][0-9]{14}|3[47][0-9]{13}|6(?:011|5[0-9]{2})[0-9]{12})\b)"},
    {SensitiveDataKind::phoneNumber, uR"(\b(?:\+?1[-.\s]?)?\(?\d{3}\)?[-.\s]?\d{3}[-.\s]?\d{4}\b)"},
    {SensitiveDataKind::ssn, uR"(\b\d{3}[-.\s]?\d{2}[-.\s]?\d{4}\b)"},
};

std::vector<Entry> compileTable() {
    std::vector<Entry> table;
    for (const auto& [kind, source] : kPatternSources) {
        UErrorCode status = U_ZERO_ERROR;
        UParseError parseError{};
        std::unique_ptr<icu::RegexPattern> pattern(
            icu::RegexPattern::compile(icu::UnicodeString(source), 0, parseError, status));
        // A pattern the engine refuses is left out; the others keep their order.
        if (U_SUCCESS(status) && pattern) {
            table.push_back(Entry{kind, std::move(pattern)});
        }
    }
    return table;
}

// A function-local static: initialised once, and C++ makes concurrent first calls wait for it.
const std::vector<Entry>& table() {
    static const std::vector<Entry> compiled = compileTable();
    return compiled;
}

// True when `offset` is a valid boundary between characters of `text` (not inside a surrogate
// pair and not past the end).
bool isCharacterBoundary(const QString& text, int32_t offset) {
    if (offset < 0 || offset > text.size()) {
        return false;
    }
    if (offset == 0 || offset == text.size()) {
        return true;
    }
    return !(text.at(offset - 1).isHighSurrogate() && text.at(offset).isLowSurrogate());
}

}  // namespace

QList<SensitiveMatch> sensitiveMatches(const QString& line) {
    QList<SensitiveMatch> matches;
    // A read-only alias of the line's UTF-16 storage: no copy.
    const icu::UnicodeString input(false, reinterpret_cast<const char16_t*>(line.utf16()),
                                   static_cast<int32_t>(line.size()));
    for (const Entry& entry : table()) {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::RegexMatcher> matcher(entry.pattern->matcher(input, status));
        if (U_FAILURE(status) || !matcher) {
            continue;
        }
        while (matcher->find(status) && U_SUCCESS(status)) {
            const int32_t start = matcher->start(status);
            const int32_t end = matcher->end(status);
            if (U_FAILURE(status) || !isCharacterBoundary(line, start) ||
                !isCharacterBoundary(line, end) || end < start) {
                status = U_ZERO_ERROR;
                continue;
            }
            matches.append(SensitiveMatch{entry.kind, line.mid(start, end - start)});
        }
    }
    return matches;
}

int compiledPatternCount() {
    return static_cast<int>(table().size());
}

}  // namespace SensitivePatternTable
