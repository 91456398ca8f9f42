#include "capture/publisher/ResampleTable.h"

#include <algorithm>
#include <cmath>

ResampleTable::ResampleTable(int sourceLength, int outputLength)
    : m_sourceLength(sourceLength) {
    if (sourceLength <= 0 || outputLength <= 0) {
        return;
    }
    const double ratio = double(sourceLength) / outputLength;
    m_entries.resize(std::size_t(outputLength));
    for (int i = 0; i < outputLength; ++i) {
        // Pixel centres line up: output centre i + 0.5 sits at source position (i + 0.5) · ratio.
        const double centre = std::clamp((i + 0.5) * ratio - 0.5, 0.0, double(sourceLength - 1));
        const int first = int(std::floor(centre));
        int right = int(std::lround((centre - first) * kWeightOne));
        int left = kWeightOne - right;
        if (left == kWeightOne) {
            left -= 1;
            right += 1;
        } else if (right == kWeightOne) {
            right -= 1;
            left += 1;
        }
        m_entries[std::size_t(i)] = {first, {std::int8_t(left), std::int8_t(right)}};
    }
}
