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
    // How the family's later dialect draws it: styles and alignment from its HTML and textalign, a
    // rule, an inline picture or a link's caption.
    bool bold = false;
    bool italic = false;
    bool underline = false;
    uint8_t align = 0;    // 0 as the story goes, 1 left, 2 right, 3 centre
    uint8_t heading = 0;  // h1..h6 drawn bold and larger, 0 for none
    uint8_t size = 0;     // HTML font size 1..7, 0 for the story's own
    bool rule = false;    // a horizontal rule on a line of its own (no text)
    std::string picture;  // a picture on a line of its own, as the quest named it (no text)
    int link = 0;         // the link whose button entry this caption chooses, 0 for none

    // Whether text printed with `other`'s look may simply be appended to this run.
    bool SameLook(const TextRun& other) const {
        return color == other.color && modeColour == other.modeColour && bold == other.bold &&
               italic == other.italic && underline == other.underline && align == other.align &&
               heading == other.heading && size == other.size && !rule && !other.rule && picture.empty() &&
               other.picture.empty() && link == 0 && other.link == 0;
    }
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
