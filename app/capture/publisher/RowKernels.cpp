#include "capture/publisher/RowKernels.h"

#if defined(__x86_64__) || defined(__i386__)
#define VELARION_X86_KERNELS 1
#include <immintrin.h>
#endif

#include <cstring>

namespace {

constexpr int kRound = 64;
constexpr int kShift = 7;

std::uint8_t average(std::uint8_t a, std::uint8_t b) {
    return static_cast<std::uint8_t>((a + b + 1) >> 1);
}

void halveRowsPortable(const std::uint8_t* top, const std::uint8_t* bottom, std::uint8_t* out,
                       int outPixels, int sourcePixels) {
    for (int i = 0; i < outPixels; ++i) {
        const int left = 4 * (2 * i < sourcePixels ? 2 * i : sourcePixels - 1);
        const int right = 4 * (2 * i + 1 < sourcePixels ? 2 * i + 1 : sourcePixels - 1);
        for (int c = 0; c < 4; ++c) {
            out[4 * i + c] = average(average(top[left + c], bottom[left + c]),
                                     average(top[right + c], bottom[right + c]));
        }
    }
}

void blendRowsPortable(const std::uint8_t* top, const std::uint8_t* bottom, std::int8_t weightTop,
                       std::int8_t weightBottom, std::uint8_t* out, int byteCount) {
    for (int k = 0; k < byteCount; ++k) {
        out[k] = static_cast<std::uint8_t>(
            (weightTop * top[k] + weightBottom * bottom[k] + kRound) >> kShift);
    }
}

void filterPixelsPortable(const std::uint8_t* row, const ColumnTaps& taps, std::uint8_t* out,
                          int from, int end) {
    for (int i = from; i < end; ++i) {
        const std::uint8_t* left = row + 4 * std::size_t(taps.first[i]);
        const int weightLeft = taps.weights[2 * i];
        const int weightRight = taps.weights[2 * i + 1];
        for (int c = 0; c < 3; ++c) {
            out[4 * i + c] = static_cast<std::uint8_t>(
                (weightLeft * left[c] + weightRight * left[4 + c] + kRound) >> kShift);
        }
        out[4 * i + 3] = 0xFF;
    }
}

void filterRowPortable(const std::uint8_t* row, const ColumnTaps& taps, int fromGroup, int toGroup,
                       std::uint8_t* out) {
    const int end = toGroup == taps.groupCount ? taps.pixelCount : 8 * toGroup;
    filterPixelsPortable(row, taps, out, 8 * fromGroup, end);
}

#ifdef VELARION_X86_KERNELS
__attribute__((target("avx2"))) __m256i load(const std::uint8_t* p) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}

__attribute__((target("avx2"))) void halveRowsAvx2(const std::uint8_t* top,
                                                   const std::uint8_t* bottom, std::uint8_t* out,
                                                   int outPixels, int sourcePixels) {
    int i = 0;
    // Eight output pixels from sixteen source columns, as long as all sixteen exist.
    for (; i + 8 <= outPixels && 2 * i + 16 <= sourcePixels; i += 8) {
        const __m256i low = _mm256_avg_epu8(load(top + 8 * i), load(bottom + 8 * i));
        const __m256i high = _mm256_avg_epu8(load(top + 8 * i + 32), load(bottom + 8 * i + 32));
        const __m256 lowPs = _mm256_castsi256_ps(low);
        const __m256 highPs = _mm256_castsi256_ps(high);
        // Per lane: even columns of `low`, then of `high`; likewise odd. The mean of the pairs
        // holds output pixels 0 1 4 5 | 2 3 6 7.
        const __m256i even = _mm256_castps_si256(_mm256_shuffle_ps(lowPs, highPs, 0x88));
        const __m256i odd = _mm256_castps_si256(_mm256_shuffle_ps(lowPs, highPs, 0xDD));
        const __m256i mixed = _mm256_avg_epu8(even, odd);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 4 * i),
                            _mm256_permute4x64_epi64(mixed, 0xD8));
    }
    if (i < outPixels) {
        halveRowsPortable(top + 8 * i, bottom + 8 * i, out + 4 * i, outPixels - i,
                          sourcePixels - 2 * i);
    }
}

// Two weights side by side, as _mm256_maddubs_epi16 pairs them with interleaved bytes.
__attribute__((target("avx2"))) __m256i weightPair(std::int8_t first, std::int8_t second) {
    return _mm256_set1_epi16(static_cast<short>(std::uint16_t(std::uint8_t(first)) |
                                                std::uint16_t(std::uint8_t(second)) << 8));
}

__attribute__((target("avx2"))) void blendRowsAvx2(const std::uint8_t* top,
                                                   const std::uint8_t* bottom,
                                                   std::int8_t weightTop, std::int8_t weightBottom,
                                                   std::uint8_t* out, int byteCount) {
    const __m256i weights = weightPair(weightTop, weightBottom);
    const __m256i round = _mm256_set1_epi16(kRound);
    int k = 0;
    for (; k + 32 <= byteCount; k += 32) {
        const __m256i a = load(top + k);
        const __m256i b = load(bottom + k);
        __m256i low = _mm256_maddubs_epi16(_mm256_unpacklo_epi8(a, b), weights);
        __m256i high = _mm256_maddubs_epi16(_mm256_unpackhi_epi8(a, b), weights);
        low = _mm256_srli_epi16(_mm256_add_epi16(low, round), kShift);
        high = _mm256_srli_epi16(_mm256_add_epi16(high, round), kShift);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + k), _mm256_packus_epi16(low, high));
    }
    if (k < byteCount) {
        blendRowsPortable(top + k, bottom + k, weightTop, weightBottom, out + k, byteCount - k);
    }
}

// A group's weight pairs, repeated for the four channels of each pixel, in the order the
// unpacking below pairs pixels: 0 1 | 4 5 for the low half, 2 3 | 6 7 for the high half.
struct GroupWeights {
    __m256i low;
    __m256i high;
};

__attribute__((target("avx2"))) GroupWeights groupWeights(const std::int8_t* pairs) {
    const __m256i lowOrder =
        _mm256_setr_epi8(0, 1, 0, 1, 0, 1, 0, 1, 2, 3, 2, 3, 2, 3, 2, 3,  //
                         8, 9, 8, 9, 8, 9, 8, 9, 10, 11, 10, 11, 10, 11, 10, 11);
    const __m256i highOrder =
        _mm256_setr_epi8(4, 5, 4, 5, 4, 5, 4, 5, 6, 7, 6, 7, 6, 7, 6, 7,  //
                         12, 13, 12, 13, 12, 13, 12, 13, 14, 15, 14, 15, 14, 15, 14, 15);
    const __m256i both =
        _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(pairs)));
    return {_mm256_shuffle_epi8(both, lowOrder), _mm256_shuffle_epi8(both, highOrder)};
}

// Weighs the left and right taps of eight pixels and stores them, opaque, in order.
__attribute__((target("avx2"))) void weighGroup(__m256i left, __m256i right,
                                                const std::int8_t* pairs, std::uint8_t* out) {
    const __m256i round = _mm256_set1_epi16(kRound);
    const __m256i opaque = _mm256_set1_epi32(static_cast<int>(0xFF000000u));
    const GroupWeights weights = groupWeights(pairs);
    __m256i low = _mm256_maddubs_epi16(_mm256_unpacklo_epi8(left, right), weights.low);
    __m256i high = _mm256_maddubs_epi16(_mm256_unpackhi_epi8(left, right), weights.high);
    low = _mm256_srli_epi16(_mm256_add_epi16(low, round), kShift);
    high = _mm256_srli_epi16(_mm256_add_epi16(high, round), kShift);
    // Packing the halves puts the pixels back in order.
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out),
                        _mm256_or_si256(_mm256_packus_epi16(low, high), opaque));
}

__attribute__((target("avx2"))) __m256i lanesOf(const std::uint8_t* positions) {
    return _mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(positions)));
}

__attribute__((target("avx2"))) void filterRowAvx2(const std::uint8_t* row, const ColumnTaps& taps,
                                                   int fromGroup, int toGroup, std::uint8_t* out) {
    const __m256i lastOfFirstHalf = _mm256_set1_epi32(7);
    for (int g = fromGroup; g < toGroup; ++g) {
        const std::uint8_t* window = row + 4 * std::size_t(taps.groupStart[g]);
        const __m256i first8 = load(window);
        const __m256i next8 = load(window + 32);
        const std::uint8_t* positions = taps.groupLanes + 16 * g;
        // vpermd reads the low three bits of a position; positions past 7 come from next8.
        const __m256i leftLanes = lanesOf(positions);
        const __m256i rightLanes = lanesOf(positions + 8);
        const __m256i left = _mm256_blendv_epi8(_mm256_permutevar8x32_epi32(first8, leftLanes),
                                                _mm256_permutevar8x32_epi32(next8, leftLanes),
                                                _mm256_cmpgt_epi32(leftLanes, lastOfFirstHalf));
        const __m256i right = _mm256_blendv_epi8(_mm256_permutevar8x32_epi32(first8, rightLanes),
                                                 _mm256_permutevar8x32_epi32(next8, rightLanes),
                                                 _mm256_cmpgt_epi32(rightLanes, lastOfFirstHalf));
        weighGroup(left, right, taps.groupWeights + 16 * g, out + 32 * g);
    }
    if (toGroup == taps.groupCount) {
        filterPixelsPortable(row, taps, out, 8 * toGroup, taps.pixelCount);
    }
}

// The same with AVX-512's two-table permute, which takes each tap from the 16-pixel window in one
// step.
__attribute__((target("avx2,avx512f,avx512bw,avx512vl"))) void filterRowAvx512(
    const std::uint8_t* row, const ColumnTaps& taps, int fromGroup, int toGroup,
    std::uint8_t* out) {
    for (int g = fromGroup; g < toGroup; ++g) {
        const std::uint8_t* window = row + 4 * std::size_t(taps.groupStart[g]);
        const __m256i first8 = load(window);
        const __m256i next8 = load(window + 32);
        const std::uint8_t* positions = taps.groupLanes + 16 * g;
        const __m256i left = _mm256_permutex2var_epi32(first8, lanesOf(positions), next8);
        const __m256i right = _mm256_permutex2var_epi32(first8, lanesOf(positions + 8), next8);
        weighGroup(left, right, taps.groupWeights + 16 * g, out + 32 * g);
    }
    if (toGroup == taps.groupCount) {
        filterPixelsPortable(row, taps, out, 8 * toGroup, taps.pixelCount);
    }
}

bool hasAvx2() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2");
}

bool hasAvx512() {
    __builtin_cpu_init();
    return hasAvx2() && __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
           __builtin_cpu_supports("avx512vl");
}

#endif

const RowKernels kPortable{halveRowsPortable, blendRowsPortable, filterRowPortable, "portable"};
#ifdef VELARION_X86_KERNELS
const RowKernels kAvx2{halveRowsAvx2, blendRowsAvx2, filterRowAvx2, "avx2"};
const RowKernels kAvx512{halveRowsAvx2, blendRowsAvx2, filterRowAvx512, "avx512"};
#endif

}  // namespace

const RowKernels& RowKernels::portable() {
    return kPortable;
}

const RowKernels& RowKernels::best() {
    static const RowKernels& kernels = *available().back();
    return kernels;
}

std::vector<const RowKernels*> RowKernels::available() {
    std::vector<const RowKernels*> sets{&kPortable};
#ifdef VELARION_X86_KERNELS
    if (hasAvx2()) {
        sets.push_back(&kAvx2);
    }
    if (hasAvx512()) {
        sets.push_back(&kAvx512);
    }
#endif
    return sets;
}
