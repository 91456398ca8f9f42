#include "shared/FrameHandoff.h"

#include <cstdlib>

namespace FrameHandoff {

std::string shmNamespace() {
    const char* value = std::getenv("VELARION_HANDOFF_NAMESPACE");
    if (value && *value) {
        std::string name(value);
        // A slash would make an invalid shared-memory name; keep the name flat.
        for (char& c : name) {
            if (c == '/') {
                c = '_';
            }
        }
        return name;
    }
    return "velarion";
}

}  // namespace FrameHandoff
