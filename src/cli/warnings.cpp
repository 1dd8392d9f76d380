#include "cli/warnings.h"

#include "text/text.h"

namespace tarvik::cli {

void WarningPrinter::Print(const Diagnostic& d, const Engine& engine, std::ostream& out) {
    out << "tarvik-cli: warning: ";
    if (d.line > 0) {
        const std::string quest = engine.NativePath(engine.questPath());
        if (quest != m_Quest) {
            m_Quest = quest;
            m_Sources = tools::ProgramLineSources(quest);
        }
        const size_t at = static_cast<size_t>(d.line);
        if (m_Sources.size() == engine.programLines().size() && at < m_Sources.size()) {
            if (m_Sources[at].file != quest) out << m_Sources[at].file << " ";
            out << "line " << m_Sources[at].line << ": ";
        } else {
            out << "line " << d.line << ": ";
        }
    }
    out << d.routine << ": " << text::Cp1251ToUtf8(d.message);
    const std::string source = text::Trim(d.source);
    if (!source.empty()) out << ": " << text::Cp1251ToUtf8(source);
    out << "\n";
    out.flush();
}

}  // namespace tarvik::cli
