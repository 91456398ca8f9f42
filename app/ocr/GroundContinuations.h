#pragma once

#include "ocr/NormalizerBlockRule.h"

#include <QImage>

#include <cstdint>
#include <vector>

// Where a window, panel or bubble edge runs through a block, the level of the ground beyond the
// edge can be the ink level of the block: it becomes a blot of ink along the edge (the outline of
// a chat bubble, for instance) that joins the line beside it and ruins its reading. Such a blot
// goes on, at the same level, into a neighbouring block where that level is ground, and there it
// spreads far; a glyph cut by such a block boundary goes on only as far as its own strokes.
// Connected ink that crosses into ground at its own ink level is followed across: if the level
// spreads beyond any glyph's size the ink is whitened, otherwise the glyph's missing strokes are
// restored as ink.
class GroundContinuations {
public:
    // `out` holds the thresholded image (0 ink, 255 ground) made from `gray` with `rules`, one
    // rule per block of kNormalizerBlockSize pixels, `columns` blocks to a row. `resolve` edits
    // it.
    GroundContinuations(const QImage& gray, const std::vector<NormalizerBlockRule>& rules,
                        int columns, QImage& out);

    void resolve();

private:
    struct Component {
        int first;  // its first pixel in reading order
        int begin;  // its pixels in m_pixels
        int end;
    };

    // Pixels are indexed by y·stride + x in both images, so that one index reads either.
    int column(int i) const { return i % m_stride; }
    int row(int i) const { return i / m_stride; }
    const NormalizerBlockRule& ruleAt(int i) const {
        return m_rules[static_cast<size_t>(row(i) / kNormalizerBlockSize) * m_columns +
                       column(i) / kNormalizerBlockSize];
    }
    bool atInkLevel(const NormalizerBlockRule& rule, int ground) const;
    bool crossesAt(int ink, int ground) const;
    template <typename Visit>
    void forNeighbours(int i, Visit visit) const {
        const int x = column(i);
        const int y = row(i);
        if (x > 0) {
            visit(i - 1);
        }
        if (x + 1 < m_width) {
            visit(i + 1);
        }
        if (y > 0) {
            visit(i - m_stride);
        }
        if (y + 1 < m_height) {
            visit(i + m_stride);
        }
    }

    std::vector<int> crossingInk() const;
    void collect(int start);
    void resolveComponent(const Component& component);
    bool followAcross(const NormalizerBlockRule& rule);

    const uint8_t* const m_gray;
    const std::vector<NormalizerBlockRule>& m_rules;
    const int m_columns;
    uint8_t* const m_bits;  // the output's pixels, detached once
    const int m_stride;
    const int m_width;
    const int m_height;
    const bool m_sameLayout;
    std::vector<Component> m_components;
    std::vector<int> m_pixels;
    std::vector<int> m_stack;
    std::vector<int> m_crossings;
    std::vector<int> m_across;
};
