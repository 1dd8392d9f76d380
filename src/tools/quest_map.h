// The quest's map for authors: its labels as the nodes of a graph and the buttons, jumps and calls between
// them as edges, written in Graphviz's DOT language. Read from the quest's text the way the loader reads it,
// without running it; an exploration's findings can colour it.
#pragma once

#include <string>
#include <vector>

#include "tools/explorer.h"

namespace tarvik::tools {

struct MapEdge {
    enum class Kind { Choice, Jump, Call };  // btn or xbtn; goto; proc
    Kind kind = Kind::Choice;
    int from = -1;        // index into QuestMap::labels; -1 for the quest's start
    std::string target;   // the label named (code page 1251); a "#...$" form when it is computed in play
    int to = -1;          // index into labels; -1 when no label of that name exists or it is computed
    std::string caption;  // choices: the button's caption
};

struct QuestMap {
    bool readable = true;
    std::vector<std::string> labels;  // names without ":", code page 1251, in quest order (first of a name)
    std::vector<int> lines;           // each label's program line
    std::vector<MapEdge> edges;       // in quest order, one per statement
    int start = -1;  // the label the quest begins on when its first line is one; else the start has lines
};

// Reads the map of the quest at `questPath` (UTF-8 path).
QuestMap ReadQuestMap(const std::string& questPath);

// The map as a DOT graph (UTF-8). With `exploration`, unreached labels are greyed, labels with a dead end
// filled orange and labels holding a line with a run-time error outlined red.
std::string QuestMapDot(const QuestMap& map, const ExploreResult* exploration = nullptr);

}  // namespace tarvik::tools
