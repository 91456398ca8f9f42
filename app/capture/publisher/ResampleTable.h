#pragma once

#include <array>
#include <cstdint>
#include <vector>

// Linear interpolation from `sourceLength` to `outputLength` samples: output sample i is
// weights[0] · source[first] + weights[1] · source[first + 1] (first + 1 past the end means the
// last sample). Weights are fixed point in 1/128ths, each 0…127 (the kernels multiply by signed
// bytes) and summing to exactly 128, so a flat colour comes out unchanged. A sample that falls
// exactly on a source sample takes 1/128 of its neighbour, which no viewer can see.
class ResampleTable {
public:
    static constexpr int kWeightOne = 128;

    struct Entry {
        int first = 0;
        std::array<std::int8_t, 2> weights{};
        bool operator==(const Entry&) const = default;
    };

    ResampleTable() = default;
    ResampleTable(int sourceLength, int outputLength);

    int sourceLength() const { return m_sourceLength; }
    int outputLength() const { return int(m_entries.size()); }
    const Entry& operator[](int i) const { return m_entries[std::size_t(i)]; }

private:
    int m_sourceLength = 0;
    std::vector<Entry> m_entries;
};
