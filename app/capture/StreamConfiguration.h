#pragma once

// How a stream or a still is produced. Frames are 'BGRA', `width` × `height` pixels.
struct StreamConfiguration {
    int width = 0;
    int height = 0;
    // The shortest time between two frames: `minimumFrameIntervalValue` / `...Timescale` seconds.
    int minimumFrameIntervalValue = 1;
    int minimumFrameIntervalTimescale = 30;
    // How many frames the stream may hold for its output at once.
    int queueDepth = 4;
    bool showsCursor = true;

    double minimumFrameIntervalSeconds() const {
        return minimumFrameIntervalTimescale > 0
                   ? static_cast<double>(minimumFrameIntervalValue) / minimumFrameIntervalTimescale
                   : 0.0;
    }
};
