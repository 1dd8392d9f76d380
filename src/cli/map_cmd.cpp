// tarvik-cli map: the quest's map as DOT or SVG.
#include <fstream>
#include <iostream>

#include "cli/author_cmd.h"
#include "tools/quest_map.h"
#include "tools/render/svg_render.h"

namespace tarvik::cli {

int RunMapCommand(const std::vector<std::string>& argv) {
    std::string quest, output, format;
    bool explore = false;
    for (size_t i = 1; i < argv.size(); ++i) {
        const std::string& a = argv[i];
        if (a == "-o" || a == "--output") {
            if (i + 1 >= argv.size() || argv[i + 1].empty()) return AuthorUsageError("-o needs a file");
            output = argv[++i];
        } else if (a == "--format") {
            if (i + 1 >= argv.size() || (argv[i + 1] != "dot" && argv[i + 1] != "svg"))
                return AuthorUsageError("--format needs dot or svg");
            format = argv[++i];
        } else if (a == "--explore") {
            explore = true;
        } else if (a.size() > 1 && a[0] == '-') {
            return AuthorUsageError("map: unknown option \"" + a + "\"");
        } else if (quest.empty()) {
            quest = a;
        } else {
            return AuthorUsageError("map needs one quest file");
        }
    }
    if (quest.empty()) return AuthorUsageError("map needs one quest file");
    // A map written to a file is meant to be looked at: SVG unless DOT is asked for.
    if (format.empty()) format = output.empty() ? "dot" : "svg";

    tools::QuestMap map = tools::ReadQuestMap(quest);
    if (!map.readable) {
        std::cerr << "tarvik-cli: cannot read the quest " << quest << "\n";
        return 1;
    }
    tools::ExploreResult exploration;
    if (explore) {
        exploration = tools::Explore(quest, {});
        if (!exploration.complete)
            std::cerr << "tarvik-cli: the exploration was cut after " << exploration.states
                      << " states; labels beyond it show as unreached\n";
    }
    std::string out = tools::QuestMapDot(map, explore ? &exploration : nullptr);
    if (format == "svg") {
        std::string svg, error;
        if (!tools::RenderDotToSvg(out, svg, error)) {
            std::cerr << "tarvik-cli: " << error << "\n";
            return 1;
        }
        out = std::move(svg);
    }
    if (output.empty()) {
        std::cout << out;
        std::cout.flush();
        return std::cout ? 0 : 1;
    }
    std::ofstream file(output, std::ios::binary | std::ios::trunc);
    if (!file || !file.write(out.data(), static_cast<std::streamsize>(out.size())) || !file.flush()) {
        std::cerr << "tarvik-cli: cannot write " << output << "\n";
        return 1;
    }
    return 0;
}

}  // namespace tarvik::cli
