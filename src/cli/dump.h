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

// What the audio channels were asked to play: files as the engine named them, UTF-8.
struct AudioRecord {
    std::string music;                      // on the music channel now; empty when it is silent
    std::vector<std::string> musicStarted;  // every file the music channel was started with, in order
    std::vector<std::string> sounds;        // every file the sound channel was started with, in order
};

// `htmlPages`: every page the HTML view showed, in order (code page 1251).
std::string DumpState(const Engine& engine, const std::vector<ShownMessage>& messages,
                      const std::vector<ShownInput>& inputs, const AudioRecord& audio = {},
                      const std::vector<std::string>& htmlPages = {});

}  // namespace tarvik::cli
