// tarvik-cli test: a quest's regression tests, each a play script whose transcript is kept beside it.
#pragma once

#include <string>
#include <vector>

namespace tarvik::cli {

// Runs "test QUEST SCRIPT... [--bless] [--seed N] [--timeout S]" when argv names the test subcommand and
// returns its exit code: 0 every transcript matches its SCRIPT.expected (or, with --bless, was written); 1 a
// transcript differs, a script fails, or a file is missing or unwritable; 64 bad usage. Returns -1, doing
// nothing, for any other subcommand.
int RunTestCommand(const std::vector<std::string>& argv, const char* usage);

}  // namespace tarvik::cli
