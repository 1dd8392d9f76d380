// The error a statement routine stops with.
#pragma once

#include <stdexcept>

namespace tarvik {

// A run-time error inside a statement routine. It ends that routine; the executor goes on with its next step.
struct QuestError : std::runtime_error {
    explicit QuestError(const char* where) : std::runtime_error(where) {}
};

}  // namespace tarvik
