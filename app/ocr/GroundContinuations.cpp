#include "ocr/GroundContinuations.h"

#include <algorithm>

namespace {

constexpr uint8_t kInk = 0;
constexpr uint8_t kUnvisitedInk = 0;
constexpr uint8_t kVisitedInk = 1;
constexpr uint8_t kAcross = 2;  // ground being followed from a component's crossings
constexpr uint8_t kGround = 255;
// More ground at the ink level than this, reached from one piece of ink, is no glyph's part.
constexpr int kMaxGlyphPart = 2048;

}  // namespace

GroundContinuations::GroundContinuations(const QImage& gray,
                                         const std::vector<NormalizerBlockRule>& rules, int columns,
                                         QImage& out)
    : m_gray(gray.constBits())
    , m_rules(rules)
    , m_columns(columns)
    , m_bits(out.bits())
    , m_stride(static_cast<int>(out.bytesPerLine()))
    , m_width(out.width())
    , m_height(out.height())
    , m_sameLayout(gray.size() == out.size() && gray.bytesPerLine() == out.bytesPerLine() &&
                   gray.format() == QImage::Format_Grayscale8) {}

// Whether the ground pixel `ground` is at the ink level of `rule`. A flat block (a window's frame,
// a panel) is ground whatever its level, so there any level on the ink side counts: the edge of
// the flat area inked by the threshold of a block beside it, between its ground and its glyphs'
// level, goes on into it.
bool GroundContinuations::atInkLevel(const NormalizerBlockRule& rule, int ground) const {
    return ruleAt(ground).blank ? rule.ink(m_gray[ground]) : rule.clearlyInk(m_gray[ground]);
}

// Ink at `ink` goes on into the ground at `ground`, its neighbour in another block, at its own
// block's ink level.
bool GroundContinuations::crossesAt(int ink, int ground) const {
    return m_bits[ink] != kGround && m_bits[ground] == kGround && atInkLevel(ruleAt(ink), ground);
}

// The ink pixels beside a block boundary with a crossing: only the components holding one can
// change, and the rest of the ink need not be followed at all.
std::vector<int> GroundContinuations::crossingInk() const {
    std::vector<int> seeds;
    for (int y = 0; y < m_height; ++y) {
        const int rowStart = y * m_stride;
        for (int x = kNormalizerBlockSize; x < m_width; x += kNormalizerBlockSize) {
            const int left = rowStart + x - 1;
            const int right = rowStart + x;
            if (crossesAt(left, right)) {
                seeds.push_back(left);
            } else if (crossesAt(right, left)) {
                seeds.push_back(right);
            }
        }
        if (y == 0 || y % kNormalizerBlockSize != 0) {
            continue;
        }
        for (int x = 0; x < m_width; ++x) {
            const int above = rowStart - m_stride + x;
            const int below = rowStart + x;
            if (crossesAt(above, below)) {
                seeds.push_back(above);
            } else if (crossesAt(below, above)) {
                seeds.push_back(below);
            }
        }
    }
    return seeds;
}

void GroundContinuations::resolve() {
    if (!m_sameLayout) {
        return;
    }
    for (const int seed : crossingInk()) {
        if (m_bits[seed] == kUnvisitedInk) {
            collect(seed);
        }
    }
    // In reading order: a component resolved earlier changes the ground a later one follows.
    std::sort(m_components.begin(), m_components.end(),
              [](const Component& a, const Component& b) { return a.first < b.first; });
    for (const Component& component : m_components) {
        resolveComponent(component);
    }
    for (int y = 0; y < m_height; ++y) {
        uint8_t* line = m_bits + static_cast<ptrdiff_t>(y) * m_stride;
        std::replace(line, line + m_width, kVisitedInk, kInk);
    }
}

void GroundContinuations::collect(int start) {
    Component component{start, static_cast<int>(m_pixels.size()), 0};
    m_stack.assign(1, start);
    m_bits[start] = kVisitedInk;
    while (!m_stack.empty()) {
        const int i = m_stack.back();
        m_stack.pop_back();
        m_pixels.push_back(i);
        component.first = std::min(component.first, i);
        forNeighbours(i, [&](int n) {
            if (m_bits[n] == kUnvisitedInk) {
                m_bits[n] = kVisitedInk;
                m_stack.push_back(n);
            }
        });
    }
    component.end = static_cast<int>(m_pixels.size());
    m_components.push_back(component);
}

void GroundContinuations::resolveComponent(const Component& component) {
    // A component can run through blocks of both polarities (light ink in one, dark ink in the
    // next, along a window's edge): each polarity's ink is followed at its own level, and only it
    // is whitened where that level spreads. A glyph of the other polarity joined to it stays.
    for (const bool lightInk : {false, true}) {
        m_crossings.clear();
        int first = -1;
        for (int k = component.begin; k < component.end; ++k) {
            const int i = m_pixels[static_cast<size_t>(k)];
            const NormalizerBlockRule& rule = ruleAt(i);
            if (rule.lightInk != lightInk) {
                continue;
            }
            first = first < 0 ? i : std::min(first, i);
            forNeighbours(i, [&](int n) {
                if (m_bits[n] == kGround && &ruleAt(n) != &rule && atInkLevel(rule, n)) {
                    m_crossings.push_back(n);
                }
            });
        }
        if (m_crossings.empty()) {
            continue;
        }
        const bool bounded = followAcross(ruleAt(first));
        for (const int i : m_across) {
            m_bits[i] = bounded ? kVisitedInk : kGround;
        }
        if (!bounded) {
            for (int k = component.begin; k < component.end; ++k) {
                const int i = m_pixels[static_cast<size_t>(k)];
                if (ruleAt(i).lightInk == lightInk) {
                    m_bits[i] = kGround;
                }
            }
        }
    }
}

// Collects in m_across, marked kAcross, the ground at the component's ink level reached from its
// crossings; false when it spreads further than a glyph could, or into a flat block, which holds
// no part of a glyph however small the flat area is.
bool GroundContinuations::followAcross(const NormalizerBlockRule& rule) {
    m_across.clear();
    m_stack.clear();
    for (const int i : m_crossings) {
        if (m_bits[i] == kGround) {
            m_bits[i] = kAcross;
            m_across.push_back(i);
            m_stack.push_back(i);
        }
    }
    while (!m_stack.empty()) {
        if (static_cast<int>(m_across.size()) > kMaxGlyphPart) {
            return false;
        }
        const int i = m_stack.back();
        m_stack.pop_back();
        if (ruleAt(i).blank) {
            return false;
        }
        forNeighbours(i, [&](int n) {
            if (m_bits[n] == kGround && atInkLevel(rule, n)) {
                m_bits[n] = kAcross;
                m_across.push_back(n);
                m_stack.push_back(n);
            }
        });
    }
    return true;
}
