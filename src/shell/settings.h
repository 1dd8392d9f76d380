// The settings file tarvik.ini as plain data: what the player chose for colours, panels, options, fonts and
// the recent quests. The main window applies a ShellSettings to its controls at start-up and fills one from
// them at shutdown; this file only reads and writes the text.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

#include "game/dialect.h"

namespace tarvik::shell {

// Window sizes are twips (15 to a pixel).
inline constexpr int kTwipsPerPixel = 15;
// The DOS colour mode sets this size whenever it is chosen, also while the settings file is read.
inline constexpr int kDosWidthTwips = 10080;
inline constexpr int kDosHeightTwips = 7500;
// The window's size before any settings file: the DOS mode's 672 x 500 pixels, which the layout was drawn
// for.
inline constexpr int kDefaultWidthTwips = kDosWidthTwips;
inline constexpr int kDefaultHeightTwips = kDosHeightTwips;
// Sizes outside these bounds are refused (the previous value stays), as a window or font would refuse them.
inline constexpr int kMaxWindowTwips = 32767 * kTwipsPerPixel;
inline constexpr double kMaxFontPoints = 2160;

inline constexpr int kRecentCount = 10;

// The zoom of the story, button and inventory fonts, in percent of their chosen size.
inline constexpr int kMinZoom = 50;
inline constexpr int kMaxZoom = 400;

// A settings file or line larger than these is damaged or hostile: the file is not read, the line reads as
// empty.
inline constexpr uint64_t kMaxSettingsFile = uint64_t{1} << 20;
inline constexpr size_t kMaxSettingsLine = 4096;

struct FontSpec {
    std::string name;  // UTF-8, kept as read even when no such font is installed
    double size = 0;   // points
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikethrough = false;

    bool operator==(const FontSpec&) const = default;
};

// Every setting with its value before any settings file is read.
struct ShellSettings {
    bool dos = false;         // svet3 ticked; svet1 otherwise
    bool invVisible = false;  // the inventory panel (inv ticked)
    int width = kDefaultWidthTwips;
    int height = kDefaultHeightTwips;
    bool Soobit = true;  // "Без событий"
    bool Zvuk = true;
    bool Music = true;
    bool clk = false;       // "Один клик"
    std::string soundFont;  // the soundfont chosen for MIDI music (UTF-8); empty: the installed default
    FontSpec font1{"Lucida Console", 9.75, false, false, false, false};  // txtText
    FontSpec font2{"MS Sans Serif", 8.25, true, false, false, false};    // lstItems and Combo1
    FontSpec font3{"MS Sans Serif", 8.25, false, false, false, false};   // List1 and Text1
    // Entry 1 of the recent list is RecentFiles[0]. UTF-8 paths; empty means no quest.
    std::array<std::string, kRecentCount> RecentFiles;
    // "Продолжать игру": keep the game left and offer it back. Written only when off, so a file of the
    // classic keys stays as it was.
    bool keepGames = true;
    // "Следить за файлом квеста": reload the quest when its file changes. Written only when on.
    bool watchQuest = false;
    // Written only when they differ from these, for the same reason.
    int zoom = 100;             // percent
    bool readAloud = false;     // "Читать вслух"
    bool exactColours = false;  // "Точные цвета квеста": no mending of unreadable colours
    // "Поздний диалект": the quest's markers decide, or the player forces the dialect on or off.
    DialectSwitch dialect = DialectSwitch::Auto;

    bool operator==(const ShellSettings&) const = default;
};

// Applies the lines of a settings file (code page 1251 bytes; lines end in CR LF, CR or LF) on top of `s`.
// Each line is matched by case-insensitive substring against the keys in a fixed order and the first match
// acts; lines that match nothing are skipped. "[Dos]=true" selects the DOS mode, which also sets the window
// to its DOS size at that point, so a later "[Width]=" line wins; "[InvVisible]=true" toggles the panel as
// the menu item would. The first ten lines after "[*Files*]" (blank ones too) become the recent list.
void ReadSettings(const std::string& fileBytes, ShellSettings& s);

// The whole settings file in code page 1251 with CR LF line ends. Font sizes are rounded to whole points,
// halves to even. A recent path is written only when fileExists(path) holds, it has no line break, and code
// page 1251 can spell it (a path it cannot spell would read back as another file).
std::string WriteSettings(const ShellSettings& s, const std::function<bool(const std::string&)>& fileExists);

// Whether a quest path (UTF-8) names an existing regular file, matching letter case loosely the way the
// loader does. Blank paths never exist.
bool QuestFileExists(const std::string& utf8Path);

// The folder of the running program (of /proc/self/exe), without a trailing separator.
std::filesystem::path ProgramFolder();

// The folder the quest dialogs start in: "Quests" beside the program (any letter case), else the demo folder
// of an installed copy (share/tarvik/quests next to its bin folder); empty when there is none, leaving the
// dialog's own default.
std::filesystem::path QuestsFolder();
std::filesystem::path QuestsFolderFor(const std::filesystem::path& programFolder);

// ---- Help
// The help's first page, in the help folder.
inline constexpr const char* kHelpIndex = "index.html";
// The folder holding the player's own help: "help" beside the program (a portable copy, or the link a build
// makes to the source tree's help), else the installed share/tarvik/help beside its bin folder. Empty when
// neither holds kHelpIndex.
std::filesystem::path HelpFolder();
std::filesystem::path HelpFolderFor(const std::filesystem::path& programFolder);

// Where tarvik.ini lives: beside the program when its folder is writable (a portable copy) and is not an
// installed copy (a bin folder with share/tarvik beside it); otherwise
// $XDG_CONFIG_HOME/tarvik/tarvik.ini, with ~/.config when XDG_CONFIG_HOME is unset or not absolute.
std::filesystem::path SettingsFilePath();
std::filesystem::path SettingsFilePathFor(const std::filesystem::path& programFolder);

// Reads the settings file into `s` (left untouched apart from what the file sets). False when there is no
// readable file, which is no error: the defaults stand.
bool LoadSettingsFile(const std::filesystem::path& file, ShellSettings& s);

// Writes the settings file through a temporary file beside it and a rename, so a failed write leaves the
// previous file whole. Creates the folder when needed. False when nothing could be written.
bool SaveSettingsFile(const std::filesystem::path& file, const ShellSettings& s);

}  // namespace tarvik::shell
