// The state dump of `tarvik-cli play --dump`: one JSON object describing the screen, the inventory, the
// variables and every dialog shown. Keys are only ever added, never renamed, because tests read them.
#pragma once

#include <string>
#include <vector>

#include "engine/engine.h"

namespace tarvik::cli {

struct ShownMessage {
    std::string title;  // code page 1251
    std::string text;
};

struct ShownInput {
    std::string title;  // code page 1251
    std::string prompt;
};

// The item name of an inventory entry: its text after the first ".", trimmed (the whole text when it has
// none).
std::string ItemName(const std::string& entryText);

// `htmlPages`: every page the HTML view showed, in order (code page 1251).
std::string DumpState(const Engine& engine, const std::vector<ShownMessage>& messages,
                      const std::vector<ShownInput>& inputs, const std::vector<std::string>& htmlPages = {});

}  // namespace tarvik::cli
