#include "Evaluation.h"

#include "ocr/OverlayGeometry.h"
#include "ocr/PrivacyProtector.h"
#include "ocr/SensitivePatternTable.h"

#include <algorithm>
#include <vector>

namespace {

bool onLine(const QRectF& region, const QRect& line) {
    const double centre = region.center().y();
    return centre >= line.top() - 4 && centre <= line.bottom() + 4 &&
           region.right() >= line.left() && region.left() <= line.right();
}

// The image's pixels per screen point: the overlay's margin is in points, the truth in pixels.
constexpr double kImageScale = 2.0;

// Where a sensitive string lies on its line: the renderer's own character edges where it measured
// them, otherwise the line's width shared evenly among its characters.
std::pair<double, double> stringSpan(const TruthLine& line, qsizetype start, qsizetype length) {
    if (line.chars.size() == line.text.size()) {
        return {line.chars[start].first, line.chars[start + length - 1].second};
    }
    const double perChar =
        static_cast<double>(line.box.width()) / std::max<qsizetype>(1, line.text.size());
    return {line.box.left() + perChar * static_cast<double>(start),
            line.box.left() + perChar * static_cast<double>(start + length)};
}

// True when no more than half a character of the string is left outside the masks the overlay
// draws (regions grown by its margin) on the string's line.
bool stringMasked(const TruthLine& line, qsizetype start, qsizetype length,
                  const QList<SensitiveRegion>& regions) {
    const auto [left, right] = stringSpan(line, start, length);
    std::vector<std::pair<double, double>> covers;
    for (const SensitiveRegion& region : regions) {
        if (onLine(region.bounds, line.box)) {
            covers.emplace_back(region.bounds.left() - OverlayGeometry::kGrowX * kImageScale,
                                region.bounds.right() + OverlayGeometry::kGrowX * kImageScale);
        }
    }
    std::sort(covers.begin(), covers.end());
    double visible = 0;
    double reached = left;
    for (const auto& [a, b] : covers) {
        if (a > reached) {
            visible += std::min(a, right) - reached;
        }
        reached = std::max(reached, b);
        if (reached >= right) {
            break;
        }
    }
    visible += std::max(0.0, right - reached);
    return visible <= 0.5 * (right - left) / static_cast<double>(length);
}

// Each sensitive string of a line with the offset where it starts in the line's text.
QList<std::pair<SensitiveMatch, qsizetype>> locatedMatches(const TruthLine& line) {
    QList<std::pair<SensitiveMatch, qsizetype>> out;
    qsizetype from = 0;
    for (const SensitiveMatch& match : SensitivePatternTable::sensitiveMatches(line.text)) {
        qsizetype at = line.text.indexOf(match.text, from);
        if (at < 0) {
            at = line.text.indexOf(match.text);
        }
        out.append({match, std::max<qsizetype>(0, at)});
        from = at < 0 ? from : at + match.text.size();
    }
    return out;
}

}  // namespace

Score& Score::operator+=(const Score& other) {
    sensitive += other.sensitive;
    exact += other.exact;
    masked += other.masked;
    spurious += other.spurious;
    return *this;
}

Score scoreRegions(const QList<TruthLine>& truth, const QList<SensitiveRegion>& regions) {
    Score score;
    std::vector<bool> used(static_cast<size_t>(regions.size()), false);
    std::vector<bool> onSensitiveLine(static_cast<size_t>(regions.size()), false);
    for (const TruthLine& line : truth) {
        const QList<std::pair<SensitiveMatch, qsizetype>> expected = locatedMatches(line);
        if (expected.isEmpty()) {
            continue;
        }
        if (line.tags.contains(QLatin1String("clipped"))) {
            for (qsizetype r = 0; r < regions.size(); ++r) {
                if (onLine(regions[r].bounds, line.box)) {
                    onSensitiveLine[static_cast<size_t>(r)] = true;
                }
            }
            continue;
        }
        for (qsizetype r = 0; r < regions.size(); ++r) {
            if (onLine(regions[r].bounds, line.box)) {
                onSensitiveLine[static_cast<size_t>(r)] = true;
            }
        }
        for (const auto& [match, at] : expected) {
            ++score.sensitive;
            score.masked += stringMasked(line, at, match.text.size(), regions) ? 1 : 0;
            for (qsizetype r = 0; r < regions.size(); ++r) {
                const SensitiveRegion& region = regions[r];
                if (!used[static_cast<size_t>(r)] && region.kind == match.kind &&
                    region.text == match.text && onLine(region.bounds, line.box)) {
                    used[static_cast<size_t>(r)] = true;
                    ++score.exact;
                    break;
                }
            }
        }
    }
    for (const bool sensitiveLine : onSensitiveLine) {
        score.spurious += sensitiveLine ? 0 : 1;
    }
    return score;
}

QStringList describeMisses(const QList<TruthLine>& truth, const QList<RecognizedLine>& lines,
                           const QList<SensitiveRegion>& found) {
    QStringList out;
    for (const TruthLine& line : truth) {
        const QList<std::pair<SensitiveMatch, qsizetype>> expected = locatedMatches(line);
        if (expected.isEmpty() || line.tags.contains(QLatin1String("clipped"))) {
            continue;
        }
        QList<RecognizedLine> read;
        for (const RecognizedLine& candidate : lines) {
            if (onLine(QRectF(candidate.box), line.box)) {
                read.append(candidate);
            }
        }
        const QList<SensitiveRegion> regions = PrivacyProtector::regionsForLines(read);
        for (const auto& [match, at] : expected) {
            const bool exact = std::any_of(regions.begin(), regions.end(), [&](auto& region) {
                return region.kind == match.kind && region.text == match.text;
            });
            const bool masked = stringMasked(line, at, match.text.size(), found);
            if (exact && masked) {
                continue;
            }
            QStringList texts;
            for (const RecognizedLine& r : read) {
                texts
                    << QStringLiteral("[%1 h%2] %3").arg(r.box.x()).arg(r.box.height()).arg(r.text);
            }
            out << QStringLiteral("%1%2 (h%3) | %4")
                       .arg(masked ? QString() : QStringLiteral("LEAK %1: ").arg(match.text))
                       .arg(line.text)
                       .arg(line.box.height())
                       .arg(texts.join(QStringLiteral(" / ")));
        }
    }
    return out;
}
