#include "tools/quest_map.h"

#include <filesystem>
#include <fstream>
#include <unordered_map>

#include "engine/engine.h"

namespace tarvik::tools {

namespace {

// Loads a quest without running it: the program store is complete when the load signals its new screen, and
// the engine is stopped there, before the run starts. (Stopped earlier, a network include would abandon the
// load.)
class SilentHost final : public Host {
public:
    Engine* engine = nullptr;
    void ScreenChanged(unsigned) override {
        if (engine && !engine->programLines().empty()) engine->RequestStop();
    }
    void Wait(WaitReason, int) override {}
    int MessageBox(const std::string&, const std::string&, int) override { return kAnswerOk; }
    DialogResult InputBox(const std::string&, const std::string&) override { return {}; }
    DialogResult SaveFileDialog(const std::string&, const std::string&) override { return {}; }
    DialogResult OpenFileDialog(const std::string&, const std::string&, const std::string&) override {
        return {};
    }
};

bool WordStart(const std::string& line, size_t at) {
    if (at == 0) return true;
    const char c = line[at - 1];
    // "{" and "|" begin the statements of an xbtn.
    return c == ' ' || c == '&' || c == '\t' || c == '{' || c == '|';
}

// Where a jump's or a call's label ends: at the next "&" of the chain, at the ELSE of an if, or where a
// statement of an xbtn ends.
size_t TargetEnd(const std::string& line, size_t from) {
    size_t end = line.find_first_of("&|}", from);
    if (end == std::string::npos) end = line.size();
    const size_t otherwise = text::FindNoCase(std::string_view(line).substr(from, end - from), " else ");
    return otherwise == std::string::npos ? end : from + otherwise;
}

std::string DotQuote(const std::string& utf8) {
    std::string out = "\"";
    for (char c : utf8) {
        if (c == '"' || c == '\\') out += '\\';
        if (c == '\r') continue;
        if (c == '\n') {
            out += "\\n";
            continue;
        }
        out += c;
    }
    return out + "\"";
}

std::string Shortened(const std::string& cp1251, size_t most) {
    std::string s = text::Trim(cp1251);
    if (s.size() > most) s = s.substr(0, most) + "...";
    return text::Cp1251ToUtf8(s);
}

}  // namespace

QuestMap ReadQuestMap(const std::string& questPath) {
    QuestMap map;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(questPath, ec) || !std::ifstream(questPath, std::ios::binary)) {
        map.readable = false;
        return map;
    }
    SilentHost host;
    Engine engine(host);
    host.engine = &engine;
    engine.OpenQuest(questPath);
    const ProgramStore& lines = engine.programLines();

    std::unordered_map<std::string, int, text::NoCaseHash, text::NoCaseEqual> index;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].empty() || lines[i][0] != ':') continue;
        std::string name = text::Trim(std::string_view(lines[i]).substr(1));
        if (!index.emplace(name, static_cast<int>(map.labels.size())).second) continue;
        map.labels.push_back(std::move(name));
        map.lines.push_back(static_cast<int>(i));
    }

    for (std::string_view line : lines) {
        if (text::Trim(line).empty()) continue;
        if (line[0] == ':') map.start = index.find(text::Trim(std::string_view(line).substr(1)))->second;
        break;
    }

    int current = -1;
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string line(lines[i]);
        if (!line.empty() && line[0] == ':') {
            auto it = index.find(text::Trim(std::string_view(line).substr(1)));
            current = it == index.end() ? -1 : it->second;
            continue;
        }
        // The run loop drops what follows ";" before anything else.
        if (size_t semi = line.find(';'); semi != std::string::npos) line.erase(semi);
        auto add = [&](MapEdge::Kind kind, std::string target, std::string caption) {
            MapEdge e;
            e.kind = kind;
            e.from = current;
            e.target = text::Trim(target);
            e.caption = text::Trim(caption);
            if (e.target.empty()) return;
            if (e.target.find('#') == std::string::npos) {
                auto it = index.find(e.target);
                if (it != index.end()) e.to = it->second;
            }
            map.edges.push_back(std::move(e));
        };
        size_t stopAt = std::string::npos;
        for (size_t at = 0; at < line.size() && at < stopAt; ++at) {
            const std::string_view rest = std::string_view(line).substr(at);
            if (!WordStart(line, at)) continue;
            if (text::StartsWithNoCase(rest, "goto ") || text::StartsWithNoCase(rest, "proc ")) {
                const size_t from = at + 5, end = TargetEnd(line, from);
                add((rest[0] | 0x20) == 'g' ? MapEdge::Kind::Jump : MapEdge::Kind::Call,
                    line.substr(from, end - from), {});
                at = end;
            } else if (text::StartsWithNoCase(rest, "btn ") || text::StartsWithNoCase(rest, "xbtn ")) {
                // btn LABEL,CAPTION; xbtn LABEL,{COMMANDS},CAPTION: an xbtn keeps its "&" for its commands.
                const bool x = (rest[0] | 0x20) == 'x';
                const size_t from = at + (x ? 5 : 4);
                const size_t comma = line.find(',', from);
                if (comma == std::string::npos) continue;  // no comma: no button
                size_t captionFrom = comma + 1;
                if (x) {
                    const size_t close = line.find('}', comma);
                    const size_t next =
                        close == std::string::npos ? std::string::npos : line.find(',', close);
                    captionFrom = next == std::string::npos ? line.size() : next + 1;
                    // The caption is text: what it says is no statement.
                    stopAt = close == std::string::npos ? comma : close;
                }
                const size_t captionEnd = x ? line.size() : TargetEnd(line, captionFrom);
                add(MapEdge::Kind::Choice, line.substr(from, comma - from),
                    line.substr(std::min(captionFrom, line.size()),
                                captionEnd - std::min(captionFrom, captionEnd)));
                // An xbtn's statements may jump or call in turn.
                at = x ? comma : captionEnd;
            }
        }
    }
    return map;
}

std::string QuestMapDot(const QuestMap& map, const ExploreResult* exploration) {
    std::vector<bool> unreached(map.labels.size(), false), deadEnd(map.labels.size(), false),
        error(map.labels.size(), false);
    if (exploration) {
        std::unordered_map<std::string, int, text::NoCaseHash, text::NoCaseEqual> index;
        for (size_t i = 0; i < map.labels.size(); ++i) index.emplace(map.labels[i], static_cast<int>(i));
        for (size_t i = 0; i < exploration->labels.size(); ++i) {
            auto it = index.find(exploration->labels[i]);
            if (it != index.end() && !exploration->reached[i])
                unreached[static_cast<size_t>(it->second)] = true;
        }
        for (const auto& f : exploration->deadEnds) {
            auto it = index.find(f.label);
            if (it != index.end()) deadEnd[static_cast<size_t>(it->second)] = true;
        }
        // An error belongs to the label whose lines hold it.
        for (const auto& f : exploration->errors) {
            int owner = -1;
            for (size_t i = 0; i < map.lines.size() && map.lines[i] <= f.line; ++i)
                owner = static_cast<int>(i);
            if (owner >= 0 && f.line > 0) error[static_cast<size_t>(owner)] = true;
        }
    }

    std::string dot = "digraph quest {\n";
    dot += "  graph [rankdir=LR, fontname=\"DejaVu Sans\"];\n";
    dot += "  node [shape=box, style=\"rounded,filled\", fillcolor=white, fontname=\"DejaVu Sans\"];\n";
    dot += "  edge [fontname=\"DejaVu Sans\", fontsize=10];\n";
    dot += "  start [shape=circle, label=\"\", width=0.25, fillcolor=black];\n";
    auto node = [](int i) { return std::string(1, 'l').append(std::to_string(i)); };
    for (size_t i = 0; i < map.labels.size(); ++i) {
        dot += "  " + node(static_cast<int>(i)) + " [label=" + DotQuote(text::Cp1251ToUtf8(map.labels[i]));
        // Labels the engine runs by itself (before every choice, for an item action or a picture click) are
        // entered by no edge: drawn round, they do not look forgotten.
        const std::string& name = map.labels[i];
        if (text::StartsWithNoCase(name, "common") || text::StartsWithNoCase(name, "use_") ||
            text::EqualsNoCase(name, "form_image_click") || text::EqualsNoCase(name, "image_click"))
            dot += ", shape=ellipse";
        if (deadEnd[i])
            dot += ", fillcolor=orange";
        else if (unreached[i])
            dot += ", fillcolor=lightgrey, fontcolor=dimgrey";
        if (error[i]) dot += ", color=red, penwidth=2";
        dot += "];\n";
    }
    // Targets that are no label: a missing one, or one the quest computes in play.
    std::unordered_map<std::string, std::string, text::NoCaseHash, text::NoCaseEqual> others;
    for (const MapEdge& e : map.edges) {
        if (e.to >= 0 || others.count(e.target)) continue;
        const std::string id = std::string(1, 'x').append(std::to_string(others.size()));
        others.emplace(e.target, id);
        const bool computed = e.target.find('#') != std::string::npos;
        dot += "  " + id + " [label=" + DotQuote(text::Cp1251ToUtf8(e.target)) +
               (computed ? ", shape=note, style=dashed, fontcolor=dimgrey];\n"
                         : ", shape=box, style=\"rounded,dashed\", color=red, fontcolor=red];\n");
    }
    for (const MapEdge& e : map.edges) {
        const std::string from = e.from < 0 ? "start" : node(e.from);
        const std::string to = e.to >= 0 ? node(e.to) : others[e.target];
        dot += "  " + from + " -> " + to + " [";
        switch (e.kind) {
            case MapEdge::Kind::Choice:
                dot += "style=solid, label=" + DotQuote(Shortened(e.caption, 30));
                break;
            case MapEdge::Kind::Jump:
                dot += "style=dashed, color=blue";
                break;
            case MapEdge::Kind::Call:
                dot += "style=dotted, color=darkgreen, arrowhead=odiamond";
                break;
        }
        dot += "];\n";
    }
    if (map.start >= 0) dot += "  start -> " + node(map.start) + " [style=bold];\n";
    dot += "}\n";
    return dot;
}

}  // namespace tarvik::tools
