#include "core/TestHooks.h"

// The shipped programs' answer: no test ever drives them.
std::optional<QString> TestHooks::value(Hook) {
    return std::nullopt;
}
