#include "ocr/GroundContinuations.h"

#include <algorithm>

namespace {

constexpr uint8_t kInk = 0;
constexpr uint8_t kUnvisitedInk = 0;
constexpr uint8_t kVisitedInk = 1;
constexpr uint8_t kGround = 255;
// More ground at the ink level than this, reached from one piece of ink, is no glyph's part.
constexpr int kMaxGlyphPart = 2048;

}  // namespace

GroundContinuations::GroundContinuations(const QImage& gray,
                                         const std::vector<NormalizerBlockRule>& rules, int columns,
                                         QImage& out)
    : m_gray(gray)
    , m_rules(rules)
    , m_columns(columns)
    , m_bits(out.bits())
    , m_bytesPerLine(static_cast<int>(out.bytesPerLine()))
    , m_width(out.width())
    , m_height(out.height()) {}

void GroundContinuations::resolve() {
    for (int y = 0; y < m_height; ++y) {
        for (int x = 0; x < m_width; ++x) {
            if (pixel(index(x, y)) == kUnvisitedInk) {
                resolveComponent(index(x, y));
            }
        }
    }
    for (int y = 0; y < m_height; ++y) {
        uint8_t* line = m_bits + static_cast<ptrdiff_t>(y) * m_bytesPerLine;
        std::replace(line, line + m_width, kVisitedInk, kInk);
    }
}

void GroundContinuations::resolveComponent(int start) {
    m_component.clear();
    m_crossings.clear();
    m_stack.assign(1, start);
    pixel(start) = kVisitedInk;
    while (!m_stack.empty()) {
        const int i = m_stack.back();
        m_stack.pop_back();
        m_component.push_back(i);
        const NormalizerBlockRule& rule = ruleAt(i);
        forNeighbours(i, [&](int n) {
            uint8_t& value = pixel(n);
            if (value == kUnvisitedInk) {
                value = kVisitedInk;
                m_stack.push_back(n);
            } else if (value == kGround && &ruleAt(n) != &rule && rule.clearlyInk(grayAt(n))) {
                m_crossings.push_back(n);
            }
        });
    }
    if (m_crossings.empty()) {
        return;
    }
    const bool bounded = followAcross(ruleAt(m_component.front()));
    if (bounded) {
        for (const int i : m_across) {
            pixel(i) = kVisitedInk;
        }
    } else {
        for (const int i : m_component) {
            pixel(i) = kGround;
        }
    }
    for (const int i : m_across) {
        m_marks[static_cast<size_t>(i)] = 0;
    }
}

// Collects in m_across the ground at the component's ink level reached from its crossings; false
// when it spreads further than a glyph could.
bool GroundContinuations::followAcross(const NormalizerBlockRule& rule) {
    if (m_marks.empty()) {
        m_marks.assign(static_cast<size_t>(m_width) * static_cast<size_t>(m_height), 0);
    }
    m_across.clear();
    m_stack.clear();
    for (const int i : m_crossings) {
        if (m_marks[static_cast<size_t>(i)] == 0) {
            m_marks[static_cast<size_t>(i)] = 1;
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
        forNeighbours(i, [&](int n) {
            if (m_marks[static_cast<size_t>(n)] == 0 && pixel(n) == kGround &&
                rule.clearlyInk(grayAt(n))) {
                m_marks[static_cast<size_t>(n)] = 1;
                m_across.push_back(n);
                m_stack.push_back(n);
            }
        });
    }
    return true;
}
