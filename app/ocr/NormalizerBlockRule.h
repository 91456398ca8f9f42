#pragma once

// The side of the square blocks, in pixels, each judged with its own rule.
inline constexpr int kNormalizerBlockSize = 16;

// How one square block of a screenshot is turned into ink and ground (see ScreenImageNormalizer).
struct NormalizerBlockRule {
    bool blank = true;      // no contrast: everything is ground
    bool lightInk = false;  // the ground is the darker level
    int threshold = 128;
    int low = 0;     // the darkest level around the block
    int high = 255;  // the lightest level around the block

    // Whether `value` is ink by this rule.
    bool ink(int value) const { return lightInk ? value > threshold : value < threshold; }

    // Whether `value` is clearly ink by this rule: nearer the ink level than the threshold.
    bool clearlyInk(int value) const {
        return lightInk ? 2 * value >= threshold + high : 2 * value <= threshold + low;
    }
};
