// play --warnings: the run-time errors a quest meets, as lines on stderr.
#pragma once

#include <ostream>

#include "engine/host.h"

namespace tarvik::cli {

// "tarvik-cli: warning: line N: ROUTINE: MESSAGE: SOURCE", in UTF-8.
void PrintWarning(const Diagnostic& diagnostic, std::ostream& out);

}  // namespace tarvik::cli
