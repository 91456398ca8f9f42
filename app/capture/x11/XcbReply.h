#pragma once

#include <cstdlib>
#include <memory>

// Owns a reply or an error that XCB allocated with malloc. Always null-check: a window can vanish
// between two requests and its reply is then an error.
struct XcbFree {
    void operator()(void* pointer) const { std::free(pointer); }
};

template <typename T>
using XcbReply = std::unique_ptr<T, XcbFree>;
