#include "Evaluation.h"

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
        const QList<SensitiveMatch> expected = SensitivePatternTable::sensitiveMatches(line.text);
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
        bool anyOnLine = false;
        for (qsizetype r = 0; r < regions.size(); ++r) {
            if (onLine(regions[r].bounds, line.box)) {
                anyOnLine = true;
                onSensitiveLine[static_cast<size_t>(r)] = true;
            }
        }
        for (const SensitiveMatch& match : expected) {
            ++score.sensitive;
            score.masked += anyOnLine ? 1 : 0;
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

QStringList describeMisses(const QList<TruthLine>& truth, const QList<RecognizedLine>& lines) {
    QStringList out;
    for (const TruthLine& line : truth) {
        const QList<SensitiveMatch> expected = SensitivePatternTable::sensitiveMatches(line.text);
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
        for (const SensitiveMatch& match : expected) {
            const bool found = std::any_of(regions.begin(), regions.end(), [&](auto& region) {
                return region.kind == match.kind && region.text == match.text;
            });
            if (found) {
                continue;
            }
            QStringList texts;
            for (const RecognizedLine& r : read) {
                texts
                    << QStringLiteral("[%1 h%2] %3").arg(r.box.x()).arg(r.box.height()).arg(r.text);
            }
            out << QStringLiteral("%1 (h%2) | %3")
                       .arg(line.text)
                       .arg(line.box.height())
                       .arg(texts.join(QStringLiteral(" / ")));
        }
    }
    return out;
}
