// play --warnings: the run-time errors a quest meets, as lines on stderr.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "tools/checker.h"

namespace tarvik::cli {

// Prints "tarvik-cli: warning: line N: ROUTINE: MESSAGE: SOURCE" in UTF-8, the line counted in the file its
// author wrote (an included file is named before it).
class WarningPrinter {
public:
    void Print(const Diagnostic& diagnostic, const Engine& engine, std::ostream& out);

private:
    std::string m_Quest;  // the quest m_Sources were read for
    std::vector<tools::SourceLine> m_Sources;
};

}  // namespace tarvik::cli
