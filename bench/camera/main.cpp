// The camera daemon's frame path at 30 frames a second for ten seconds: the real device source
// and frame timer copy a live published surface on every tick into a sink that copies it once
// more (as the PipeWire node does into the consumer's buffer). Prints the process CPU use as a
// share of one core and the distribution of the intervals between frames, against the 33.3 ms
// period (target: within 2 ms).

#include "FramePathBench.h"

#include <cstdlib>
#include <string>

#include <unistd.h>

int main() {
    // A runtime folder name of this run's own gives it shared-memory names of its own; nothing is
    // stored in the folder, so it need not exist.
    const std::string runtime = "/tmp/velarion-bench-camera-" + std::to_string(::getpid());
    ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    constexpr int kSeconds = 10;

    PublishedTestSurface published;
    CopyingSink sink;
    printPath("frame path (peer: 1920x1080 copied twice per frame)",
              runFramePath(sink, sink, kSeconds), kSeconds);
    return 0;
}
