// The quest checker for authors: reads a quest as the loader does, without running it, and reports what will
// go wrong in play, each with the file and line it stands on.
#pragma once

#include <string>
#include <vector>

#include "game/dialect.h"

namespace tarvik::tools {

struct CheckReport {
    enum class Severity { Error, Warning };
    Severity severity = Severity::Error;
    std::string file;     // UTF-8 path of the quest or of the included file the line came from
    int line = 0;         // 1-based line in that file
    std::string message;  // UTF-8
};

struct CheckResult {
    bool readable = true;              // false when the quest file itself cannot be read
    std::vector<CheckReport> reports;  // in file order of the main quest, then of each include
    // 0 nothing found, 1 any error, 2 warnings only.
    int ExitCode() const;
};

// Checks the quest at `questPath` (UTF-8, as the file system spells it). In the later dialect, chosen as the
// player chooses it, lines are read as the dialect runs them and link targets count as named labels.
CheckResult CheckQuest(const std::string& questPath, DialectSwitch dialect = DialectSwitch::Auto);

// Where a program line was written: the quest or included file (UTF-8 path) and its line there, from 1.
struct SourceLine {
    std::string file;
    int line = 0;
};
// The source of each line of the quest's program store, in its order (entry i for Engine::programLines()[i]);
// empty when the quest cannot be read.
std::vector<SourceLine> ProgramLineSources(const std::string& questPath);

// One report as a line: "file:line: error: message".
std::string FormatReport(const CheckReport& report);

}  // namespace tarvik::tools
