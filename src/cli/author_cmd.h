// tarvik-cli's tools that play or draw a whole quest for its author: explore and map.
#pragma once

#include <string>
#include <vector>

namespace tarvik::cli {

// Runs argv (the subcommand first) when it is "explore" or "map" and returns its exit code; -1, doing
// nothing, for any other subcommand. `usage` follows the message of a usage error (exit code 64).
int RunAuthorCommand(const std::vector<std::string>& argv, const char* usage);

// Shared by both commands: writes the message and the usage to stderr and returns 64.
int AuthorUsageError(const std::string& message);
int RunMapCommand(const std::vector<std::string>& argv);

}  // namespace tarvik::cli
