// What the main window shows besides the pictures, and the player's menu options that the game reads.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tarvik {

// One coloured piece of the story text.
struct TextRun {
    std::string text;
    int32_t color = 0;
    bool modeColour = false;  // printed in the colour mode's own text colour, so it follows a mode switch
};

// The player's menu options that the game reads.
struct Options {
    bool Soobit = true;    // "Без событий": no item messages
    bool clk = false;      // "Один клик": a single click chooses a button
    bool Zvuk = true;      // "Звук": play statements sound
    bool Music = true;     // "Музыка": music plays
    bool SvBlock = false;  // "Блок": the quest may not change the look or the inventory panel
    bool inv = false;      // "Инвентарь": the inventory panel is shown

    // The option whose field is named `name` (ASCII letter case aside), or nullptr.
    bool* Named(std::string_view name);
    const bool* Named(std::string_view name) const { return const_cast<Options*>(this)->Named(name); }
};

enum class ColourMode { Normal, Dos };

// The text colour a colour mode assigns to Style_TextColor.
constexpr int32_t ModeTextColour(ColourMode mode) {
    return mode == ColourMode::Dos ? 0xC0C0C0 : static_cast<int32_t>(0x80000008u);
}

}  // namespace tarvik
