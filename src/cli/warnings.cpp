#include "cli/warnings.h"

#include "text/text.h"

namespace tarvik::cli {

void PrintWarning(const Diagnostic& d, std::ostream& out) {
    out << "tarvik-cli: warning: ";
    if (d.line > 0) out << "line " << d.line << ": ";
    out << d.routine << ": " << text::Cp1251ToUtf8(d.message);
    const std::string source = text::Trim(d.source);
    if (!source.empty()) out << ": " << text::Cp1251ToUtf8(source);
    out << "\n";
    out.flush();
}

}  // namespace tarvik::cli
