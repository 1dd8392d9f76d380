// The quest file tools from the command line. Messages go to stderr in the locale's language; the analyzer's
// report, code page 1251 inside the engine, is written to stdout as UTF-8 with the terminal's line ends.
#include "cli/tools_cmd.h"

#include <iostream>

#include "cli/messages.h"
#include "files/paths.h"
#include "formats/cipher.h"
#include "formats/huffman.h"
#include "text/text.h"
#include "tools/analyzer.h"
#include "tools/checker.h"
#include "tools/quest_files.h"

namespace tarvik::cli {

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFile = 1;
constexpr int kExitUsage = 64;

int Usage(const std::string& message, const char* usage) {
    std::cerr << "tarvik-cli: " << message << "\n\n" << usage;
    return kExitUsage;
}

int Fail(const std::string& message) {
    std::cerr << "tarvik-cli: " << message << "\n";
    return kExitFile;
}

std::string ForTerminal(const std::string& cp1251) {
    std::string utf8 = text::Cp1251ToUtf8(cp1251);
    std::string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size(); ++i)
        if (!(utf8[i] == '\r' && i + 1 < utf8.size() && utf8[i + 1] == '\n')) out += utf8[i];
    return out;
}

int Written(const tools::WriteResult& result, const std::string& input, const char* report) {
    switch (result.status) {
        case tools::WriteStatus::Ok:
            std::cerr << "tarvik-cli: " << Format(report, input, result.outputPath) << "\n";
            return kExitOk;
        case tools::WriteStatus::SourceMissing:
            return Fail(Format(_("no such quest: %s"), input));
        case tools::WriteStatus::ReadFailed:
            return Fail(Format(_("cannot read %s"), input));
        case tools::WriteStatus::WriteFailed:
            break;
    }
    return Fail(Format(_("cannot write %s"), result.outputPath));
}

int Decompress(const std::string& in, const std::string& out) {
    std::string bytes;
    if (!ReadWholeFile(in, bytes)) {
        return Fail(Format(tools::ReadProblem(in) == tools::WriteStatus::SourceMissing ? _("no such file: %s")
                                                                                       : _("cannot read %s"),
                           in));
    }
    try {
        formats::clsHuffman().DecodeString(bytes);
    } catch (const formats::HuffmanError& e) {
        return Fail(in + ": " + e.description());
    }
    if (!WriteFileAtomically(out, bytes)) return Fail(Format(_("cannot write %s"), out));
    return kExitOk;
}

int Analyze(const std::string& quest) {
    std::string bytes;
    if (!ReadWholeFile(quest, bytes)) {
        return Fail(Format(tools::ReadProblem(quest) == tools::WriteStatus::SourceMissing
                               ? _("no such quest: %s")
                               : _("cannot read %s"),
                           quest));
    }
    tools::QuestAnalysis analysis = tools::AnalyzeQuestText(text::Utf8ToCp1251(quest), bytes);
    if (analysis.empty)
        return Fail(Format(_("%s is empty:\n%s"), quest, ForTerminal(tools::EmptyQuestMessage())));
    std::cout << ForTerminal(analysis.report) << "\n";
    return std::cout.flush() ? kExitOk : kExitFile;
}

// Reports go to stdout, one a line, then a count; the exit code tells errors (1) from warnings only (2).
int Check(const std::string& quest) {
    if (tools::ReadProblem(quest) == tools::WriteStatus::SourceMissing)
        return Fail(Format(_("no such quest: %s"), quest));
    tools::CheckResult result = tools::CheckQuest(quest);
    if (!result.readable) return Fail(Format(_("cannot read %s"), quest));
    size_t errors = 0;
    for (const auto& r : result.reports) {
        std::cout << tools::FormatReport(r) << "\n";
        errors += r.severity == tools::CheckReport::Severity::Error;
    }
    const size_t warnings = result.reports.size() - errors;
    if (result.reports.empty())
        std::cout << Format(_("%s: no problems found"), quest) << "\n";
    else
        std::cout << quest << ": "
                  << Format(_n("%lu error", "%lu errors", errors), static_cast<unsigned long>(errors)) << ", "
                  << Format(_n("%lu warning", "%lu warnings", warnings), static_cast<unsigned long>(warnings))
                  << "\n";
    std::cout.flush();
    return result.ExitCode();
}

}  // namespace

int RunToolCommand(const std::vector<std::string>& argv, const char* usage) {
    if (argv.empty()) return -1;
    const std::string& command = argv[0];
    size_t wanted;
    if (command == "encipher" || command == "compress" || command == "analyze" || command == "check")
        wanted = 1;
    else if (command == "decompress")
        wanted = 2;
    else
        return -1;

    std::vector<std::string> operands;
    for (size_t i = 1; i < argv.size(); ++i) {
        const std::string& a = argv[i];
        if (a == "--help" || a == "-h") {
            std::cout << usage;
            return kExitOk;
        }
        if (a == "--") {
            operands.insert(operands.end(), argv.begin() + static_cast<long>(i) + 1, argv.end());
            break;
        }
        if (a.size() > 1 && a[0] == '-')
            return Usage(Format(_("%s: unknown option \"%s\""), command, a), usage);
        operands.push_back(a);
    }
    if (operands.size() != wanted) {
        return Usage(
            Format(wanted == 1 ? _("%s needs one quest file") : _("%s needs an input and an output file"),
                   command),
            usage);
    }

    if (command == "encipher")
        return Written(tools::WriteCipheredQuest(operands[0]), operands[0], _("enciphered %s into %s"));
    if (command == "compress")
        return Written(tools::WriteCompressedQuest(operands[0]), operands[0], _("compressed %s into %s"));
    if (command == "decompress") return Decompress(operands[0], operands[1]);
    if (command == "check") return Check(operands[0]);
    return Analyze(operands[0]);
}

}  // namespace tarvik::cli
