#include "capture/publisher/FrameScaler.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::uint32_t kOpaqueBlack = 0xFF000000u;
constexpr std::int64_t kMaxShrink = 4;
// Shrinks from this ratio on are halved first (checked as 2 · source >= 3 · output).
constexpr std::int64_t kHalveNumerator = 3;
constexpr std::int64_t kHalveDenominator = 2;
constexpr int kGroup = 8;
constexpr int kWindow = 16;
// Halved rows made at a time (longer runs measured no faster), and the ring that keeps them with
// the row above them.
constexpr int kHalvedRun = 1;
constexpr int kHalvedSlots = kHalvedRun + 1;
constexpr int kGroupsPerSlice = 8;
constexpr std::size_t kCacheLine = 64;

void fillBlack(std::vector<std::uint8_t>& bytes) {
    for (std::size_t k = 0; k + 4 <= bytes.size(); k += 4) {
        std::memcpy(bytes.data() + k, &kOpaqueBlack, 4);
    }
}

bool fits(std::int64_t source, std::int64_t output) {
    return source > 0 && output > 0 && source <= output * kMaxShrink;
}

}  // namespace

FrameScaler::FrameScaler(const RowKernels& kernels)
    : m_kernels(kernels) {}

bool FrameScaler::supports(const Geometry& g) {
    return g.x >= 0 && g.y >= 0 && std::int64_t{g.x} + g.width <= g.surfaceWidth &&
           std::int64_t{g.y} + g.height <= g.surfaceHeight && fits(g.sourceWidth, g.width) &&
           fits(g.sourceHeight, g.height);
}

bool FrameScaler::halves(const Geometry& g) {
    return std::int64_t{g.sourceWidth} * kHalveDenominator >=
               std::int64_t{g.width} * kHalveNumerator &&
           std::int64_t{g.sourceHeight} * kHalveDenominator >=
               std::int64_t{g.height} * kHalveNumerator;
}

void FrameScaler::prepare(const Geometry& geometry) {
    if (geometry == m_geometry) {
        return;
    }
    m_geometry = geometry;
    m_halves = halves(geometry);
    // An odd last column or row is paired with itself.
    m_inputWidth = m_halves ? (geometry.sourceWidth + 1) / 2 : geometry.sourceWidth;
    m_inputHeight = m_halves ? (geometry.sourceHeight + 1) / 2 : geometry.sourceHeight;
    m_rows = ResampleTable(m_inputHeight, geometry.height);
    prepareColumns(m_inputWidth, geometry.width);
    m_halved.assign(m_halves ? std::size_t(kHalvedSlots) * std::size_t(m_inputWidth) * 4 : 0, 0);
    m_halvedThrough = -1;
    m_blendedRow.assign(std::size_t(m_inputWidth + kWindow) * 4, 0);
    m_surfaceRow.assign(std::size_t(geometry.surfaceWidth) * 4, 0);
    fillBlack(m_surfaceRow);
    m_blackRow = m_surfaceRow;
}

void FrameScaler::prepareColumns(int sourceLength, int outputLength) {
    const ResampleTable table(sourceLength, outputLength);
    m_first.resize(std::size_t(outputLength));
    m_weights.resize(std::size_t(outputLength) * 2);
    for (int i = 0; i < outputLength; ++i) {
        m_first[std::size_t(i)] = table[i].first;
        m_weights[2 * std::size_t(i)] = table[i].weights[0];
        m_weights[2 * std::size_t(i) + 1] = table[i].weights[1];
    }
    // Whole groups whose taps fit one window (all of them while the ratio is at most 2).
    int groups = 0;
    while ((groups + 1) * kGroup <= outputLength &&
           table[(groups + 1) * kGroup - 1].first + 1 - table[groups * kGroup].first < kWindow) {
        ++groups;
    }
    m_groupStart.resize(std::size_t(groups));
    m_groupLanes.resize(std::size_t(groups) * 2 * kGroup);
    m_groupWeights.resize(std::size_t(groups) * 2 * kGroup);
    for (int g = 0; g < groups; ++g) {
        const int start = table[g * kGroup].first;
        m_groupStart[std::size_t(g)] = start;
        for (int j = 0; j < kGroup; ++j) {
            const ResampleTable::Entry& e = table[g * kGroup + j];
            const std::size_t at = std::size_t(g) * 2 * kGroup;
            m_groupLanes[at + std::size_t(j)] = std::uint8_t(e.first - start);
            m_groupLanes[at + kGroup + std::size_t(j)] = std::uint8_t(e.first + 1 - start);
            m_groupWeights[at + 2 * std::size_t(j)] = e.weights[0];
            m_groupWeights[at + 2 * std::size_t(j) + 1] = e.weights[1];
        }
    }
    m_columns.pixelCount = outputLength;
    m_columns.groupCount = groups;
    m_columns.first = m_first.data();
    m_columns.weights = m_weights.data();
    m_columns.groupStart = m_groupStart.data();
    m_columns.groupLanes = m_groupLanes.data();
    m_columns.groupWeights = m_groupWeights.data();
}

const std::uint8_t* FrameScaler::inputRow(const PixelBuffer& source, int index) {
    index = std::min(index, m_inputHeight - 1);
    if (!m_halves) {
        return source.data + std::size_t(index) * std::size_t(source.bytesPerRow);
    }
    const std::size_t rowBytes = std::size_t(m_inputWidth) * 4;
    // Rows are asked for in rising order, bottom tap first: a run made for the bottom tap
    // overwrites only rows above the top tap.
    if (index > m_halvedThrough) {
        const int last = std::min(index + kHalvedRun - 1, m_inputHeight - 1);
        for (int r = m_halvedThrough + 1; r <= last; ++r) {
            const int top = 2 * r;
            const int bottom = std::min(top + 1, m_geometry.sourceHeight - 1);
            m_kernels.halveRows(source.data + std::size_t(top) * std::size_t(source.bytesPerRow),
                                source.data + std::size_t(bottom) * std::size_t(source.bytesPerRow),
                                m_halved.data() + std::size_t(r % kHalvedSlots) * rowBytes,
                                m_inputWidth, m_geometry.sourceWidth);
        }
        m_halvedThrough = last;
    }
    return m_halved.data() + std::size_t(index % kHalvedSlots) * rowBytes;
}

void FrameScaler::drawPictureRow(const PixelBuffer& source, int row) {
    const ResampleTable::Entry& taps = m_rows[row];
    const std::uint8_t* bottom = inputRow(source, taps.first + 1);
    const std::uint8_t* top = inputRow(source, taps.first);
    const int rowBytes = m_inputWidth * 4;
    m_kernels.blendRows(top, bottom, taps.weights[0], taps.weights[1], m_blendedRow.data(),
                        rowBytes);
    // A right tap past the last pixel reads the last pixel.
    std::memcpy(m_blendedRow.data() + rowBytes, m_blendedRow.data() + rowBytes - 4, 4);
    filterPrefetchingNextRows(source);
}

void FrameScaler::filterPrefetchingNextRows(const PixelBuffer& source) {
    // The next pair of source rows to halve is fetched while this row is filtered, a little
    // between every few groups: fetched all at once, or as the halving asks for them, the
    // processor stalls on memory and computes nothing meanwhile (measured: a fifth of the frame's
    // time; finer slices measured no better).
    const std::uint8_t* nextTop = nullptr;
    const int nextRow = 2 * (m_halvedThrough + 1);
    if (m_halves && nextRow + 1 < m_geometry.sourceHeight) {
        nextTop = source.data + std::size_t(nextRow) * std::size_t(source.bytesPerRow);
    }
    const int slices = std::max(1, (m_columns.groupCount + kGroupsPerSlice - 1) / kGroupsPerSlice);
    const std::size_t rowBytes = std::size_t(m_geometry.sourceWidth) * 4;
    const std::size_t linesPerSlice = (rowBytes + kCacheLine - 1) / kCacheLine / slices + 1;
    std::uint8_t* out = m_surfaceRow.data() + std::size_t(m_geometry.x) * 4;
    for (int slice = 0; slice < slices; ++slice) {
        if (nextTop) {
            const std::size_t begin = slice * linesPerSlice * kCacheLine;
            const std::size_t end = std::min(rowBytes, begin + linesPerSlice * kCacheLine);
            for (std::size_t k = begin; k < end; k += kCacheLine) {
                __builtin_prefetch(nextTop + k);
                __builtin_prefetch(nextTop + source.bytesPerRow + k);
            }
        }
        const int from = std::min(slice * kGroupsPerSlice, m_columns.groupCount);
        const int to = slice + 1 == slices ? m_columns.groupCount
                                           : std::min(from + kGroupsPerSlice, m_columns.groupCount);
        m_kernels.filterRow(m_blendedRow.data(), m_columns, from, to, out);
    }
}

void FrameScaler::render(const Geometry& geometry, const PixelBuffer& source, std::uint8_t* surface,
                         int surfaceBytesPerRow) {
    if (!supports(geometry) || !source.isValid() || source.width != geometry.sourceWidth ||
        source.height != geometry.sourceHeight || !surface) {
        return;
    }
    prepare(geometry);
    const std::size_t rowBytes = std::size_t(geometry.surfaceWidth) * 4;
    for (int y = 0; y < geometry.surfaceHeight; ++y) {
        std::uint8_t* target = surface + std::size_t(y) * std::size_t(surfaceBytesPerRow);
        const int row = y - geometry.y;
        if (row < 0 || row >= geometry.height) {
            std::memcpy(target, m_blackRow.data(), rowBytes);
            continue;
        }
        drawPictureRow(source, row);
        // Plain stores measured faster here than streaming past the cache.
        std::memcpy(target, m_surfaceRow.data(), rowBytes);
    }
    // Rows halved from this frame must not stand in for the next one's.
    m_halvedThrough = -1;
}
