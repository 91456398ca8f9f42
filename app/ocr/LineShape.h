#pragma once

#include <QRect>

#include <algorithm>
#include <cstdlib>
#include <vector>

// The shape of one line of text from its pieces of ink (see InkPieces): its baseline and the
// height of a typical piece, and what a full stop looks like on it.
struct LineShape {
    // A full stop is no taller than this share of the line's typical piece.
    static constexpr double kDotHeight = 0.3;

    int baseline = 0;
    int typicalHeight = 0;

    explicit LineShape(const std::vector<QRect>& pieces) {
        std::vector<int> bottoms;
        std::vector<int> heights;
        for (const QRect& piece : pieces) {
            bottoms.push_back(piece.bottom());
            heights.push_back(piece.height());
        }
        if (!pieces.empty()) {
            baseline = median(bottoms);
            typicalHeight = median(heights);
        }
    }

    static int median(std::vector<int> values) {
        std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
        return values[values.size() / 2];
    }

    bool onBaseline(const QRect& piece) const {
        return std::abs(piece.bottom() - baseline) <= kDotHeight * typicalHeight / 2;
    }
    // A full stop: small, round, on the baseline.
    bool isDot(const QRect& piece) const {
        return piece.height() <= kDotHeight * typicalHeight &&
               piece.width() <= 2 * piece.height() && piece.height() <= 2 * piece.width() &&
               onBaseline(piece);
    }
};
