// tarvik-cli's quest file tool subcommands: encipher, compress, decompress and analyze.
#pragma once

#include <string>
#include <vector>

namespace tarvik::cli {

// Runs argv (the subcommand first) when it names a tool subcommand and returns its exit code: 0 done, 1 a
// file that is missing, unreadable, unwritable or corrupt, 64 bad usage (then `usage` follows the message on
// stderr). Returns -1, doing nothing, for any other subcommand.
int RunToolCommand(const std::vector<std::string>& argv, const char* usage);

}  // namespace tarvik::cli
