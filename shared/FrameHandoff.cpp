#include "shared/FrameHandoff.h"

#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace FrameHandoff {

std::string shmNamespace() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (!runtime || !*runtime) {
        return "velarion";
    }
    // One spelling a folder: "/run/user/1000/" and a link to it meet "/run/user/1000".
    char resolved[PATH_MAX];
    const std::string folder = ::realpath(runtime, resolved) ? resolved : runtime;
    // FNV-1a, 64 bits: stable across processes and builds, unlike std::hash.
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    for (const unsigned char c : folder) {
        hash = (hash ^ c) * 0x100000001b3ULL;
    }
    char name[32];
    std::snprintf(name, sizeof name, "velarion-%016llx", static_cast<unsigned long long>(hash));
    return name;
}

}  // namespace FrameHandoff
