// Line diffs in the unified format that diff -u and patch read.
#pragma once

#include <string>
#include <string_view>

namespace tarvik::cli {

// The unified diff that turns `before` into `after`, with `context` unchanged lines around each change and
// the two file names in its header; empty when the texts are equal. A last line without its line end is
// marked as diff marks it.
std::string UnifiedDiff(std::string_view before, std::string_view after, const std::string& beforeName,
                        const std::string& afterName, int context = 3);

}  // namespace tarvik::cli
