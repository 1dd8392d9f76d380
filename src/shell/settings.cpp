#include "shell/settings.h"

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <string_view>
#include <system_error>
#include <vector>

#include <unistd.h>

#include "files/paths.h"
#include "text/text.h"

namespace tarvik::shell {

namespace fs = std::filesystem;

namespace {

// Lines end in CR LF as written; a bare CR or LF also ends a line so a file saved by a Linux editor still
// reads line by line. A final line end does not open another (empty) line.
std::vector<std::string_view> SplitLines(std::string_view bytes) {
    std::vector<std::string_view> lines;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            lines.push_back(bytes.substr(start));
            break;
        }
        lines.push_back(bytes.substr(start, end - start));
        start = end + 1;
        if (bytes[end] == '\r' && start < bytes.size() && bytes[start] == '\n') ++start;
    }
    return lines;
}

// The value of a line is what follows its first L characters, L being the length of the matched key; for a
// line that starts with the key that is the text after it.
std::string_view ValueAfter(std::string_view line, std::string_view key) {
    return key.size() < line.size() ? line.substr(key.size()) : std::string_view();
}

void SetWindowTwips(int& target, std::string_view value) {
    double v = text::LeadingNumber(value);
    if (std::isfinite(v) && v >= 0 && v <= kMaxWindowTwips) target = static_cast<int>(text::RoundHalfEven(v));
}

void SetFontSize(FontSpec& f, std::string_view value) {
    double v = text::LeadingNumber(value);
    if (std::isfinite(v) && v > 0 && v <= kMaxFontPoints) f.size = v;
}

void SetFontName(FontSpec& f, std::string_view value) {
    if (!text::TrimView(value).empty()) f.name = text::Cp1251ToUtf8(value);
}

struct Rule {
    const char* key;
    void (*apply)(ShellSettings&, std::string_view value);
};

// Checked in this order; the first key found in a line acts. Each true/false key names the value that
// differs from the default, so a line holding the default changes nothing.
const Rule kRules[] = {
    {"[Dos]=true",
     [](ShellSettings& s, std::string_view) {
         s.dos = true;
         s.width = kDosWidthTwips;
         s.height = kDosHeightTwips;
     }},
    {"[InvVisible]=true", [](ShellSettings& s, std::string_view) { s.invVisible = !s.invVisible; }},
    {"[Width]=", [](ShellSettings& s, std::string_view v) { SetWindowTwips(s.width, v); }},
    {"[Height]=", [](ShellSettings& s, std::string_view v) { SetWindowTwips(s.height, v); }},
    {"[Sobitia]=false", [](ShellSettings& s, std::string_view) { s.Soobit = false; }},
    {"[Click]=true", [](ShellSettings& s, std::string_view) { s.clk = true; }},
    {"[Music]=false", [](ShellSettings& s, std::string_view) { s.Music = false; }},
    {"[Zvuk]=false", [](ShellSettings& s, std::string_view) { s.Zvuk = false; }},
    {"[Continue]=false", [](ShellSettings& s, std::string_view) { s.keepGames = false; }},
    {"[WatchQuest]=true", [](ShellSettings& s, std::string_view) { s.watchQuest = true; }},
    {"[Font1.name]=", [](ShellSettings& s, std::string_view v) { SetFontName(s.font1, v); }},
    {"[Font1.Size]=", [](ShellSettings& s, std::string_view v) { SetFontSize(s.font1, v); }},
    {"[Font1.Bold]=true", [](ShellSettings& s, std::string_view) { s.font1.bold = true; }},
    {"[Font1.Italic]=true", [](ShellSettings& s, std::string_view) { s.font1.italic = true; }},
    {"[Font1.Underline]=true", [](ShellSettings& s, std::string_view) { s.font1.underline = true; }},
    {"[Font1.Strikethrough]=true", [](ShellSettings& s, std::string_view) { s.font1.strikethrough = true; }},
    {"[Font2.name]=", [](ShellSettings& s, std::string_view v) { SetFontName(s.font2, v); }},
    {"[Font2.Size]=", [](ShellSettings& s, std::string_view v) { SetFontSize(s.font2, v); }},
    {"[Font2.Bold]=false", [](ShellSettings& s, std::string_view) { s.font2.bold = false; }},
    {"[Font2.Italic]=true", [](ShellSettings& s, std::string_view) { s.font2.italic = true; }},
    {"[Font2.Underline]=true", [](ShellSettings& s, std::string_view) { s.font2.underline = true; }},
    {"[Font2.Strikethrough]=true", [](ShellSettings& s, std::string_view) { s.font2.strikethrough = true; }},
    {"[Font3.name]=", [](ShellSettings& s, std::string_view v) { SetFontName(s.font3, v); }},
    {"[Font3.Size]=", [](ShellSettings& s, std::string_view v) { SetFontSize(s.font3, v); }},
    {"[Font3.Bold]=true", [](ShellSettings& s, std::string_view) { s.font3.bold = true; }},
    {"[Font3.Italic]=true", [](ShellSettings& s, std::string_view) { s.font3.italic = true; }},
    {"[Font3.Underline]=true", [](ShellSettings& s, std::string_view) { s.font3.underline = true; }},
    {"[Font3.Strikethrough]=true", [](ShellSettings& s, std::string_view) { s.font3.strikethrough = true; }},
    {"[Zoom]=",
     [](ShellSettings& s, std::string_view v) {
         double z = text::LeadingNumber(v);
         if (std::isfinite(z) && z >= kMinZoom && z <= kMaxZoom) s.zoom = static_cast<int>(z);
     }},
    {"[ReadAloud]=true", [](ShellSettings& s, std::string_view) { s.readAloud = true; }},
    {"[ExactColours]=true", [](ShellSettings& s, std::string_view) { s.exactColours = true; }},
    {"[Dialect]=on", [](ShellSettings& s, std::string_view) { s.dialect = DialectSwitch::On; }},
    {"[Dialect]=off", [](ShellSettings& s, std::string_view) { s.dialect = DialectSwitch::Off; }},
    {"[SoundFont]=", [](ShellSettings& s, std::string_view v) { s.soundFont = text::Cp1251ToUtf8(v); }},
};

const char* Bool(bool b) {
    return b ? "True" : "False";
}

// Whole numbers only; halves go to the even neighbour (12.5 is written 12).
std::string Whole(double v) {
    double r = text::RoundHalfEven(v);
    if (!std::isfinite(r)) r = 0;
    return std::to_string(static_cast<long long>(r));
}

void WriteFont(std::string& out, const char* section, const char* key, const FontSpec& f) {
    const std::string k = std::string("[") + key;
    out += section;
    out += "\r\n";
    std::string name = text::Utf8ToCp1251(f.name);
    for (char& c : name)
        if (c == '\r' || c == '\n') c = ' ';
    out += k + ".name]=" + name + "\r\n";
    out += k + ".Size]=" + Whole(f.size) + "\r\n";
    out += k + ".Bold]=" + Bool(f.bold) + "\r\n";
    out += k + ".Italic]=" + Bool(f.italic) + "\r\n";
    out += k + ".Underline]=" + Bool(f.underline) + "\r\n";
    out += k + ".Strikethrough]=" + Bool(f.strikethrough) + "\r\n";
}

fs::path UserConfigFolder() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && *xdg && fs::path(xdg).is_absolute()) return fs::path(xdg);
    const char* home = std::getenv("HOME");
    if (home && *home) return fs::path(home) / ".config";
    return fs::path(".config");
}

}  // namespace

void ReadSettings(const std::string& fileBytes, ShellSettings& s) {
    bool inFiles = false;
    int pathLines = 0;
    for (std::string_view line : SplitLines(fileBytes)) {
        // No entry is longer than a path can be; a longer line (a damaged or hostile file) is read as empty,
        // so the window never tries to resolve or show it.
        if (line.size() > kMaxSettingsLine) line = std::string_view();
        // Section markers, and lines that cannot be entries, are passed over until the path section starts.
        if (!inFiles &&
            (line.find('[') == std::string_view::npos || line.find("[*") != std::string_view::npos)) {
            if (text::ContainsNoCase(line, "[*Files*]")) inFiles = true;
            continue;
        }
        if (inFiles && pathLines < kRecentCount + 1) {
            ++pathLines;
            if (pathLines <= kRecentCount) s.RecentFiles[pathLines - 1] = text::Cp1251ToUtf8(line);
        }
        for (const Rule& rule : kRules) {
            if (text::ContainsNoCase(line, rule.key)) {
                rule.apply(s, ValueAfter(line, rule.key));
                break;
            }
        }
    }
}

std::string WriteSettings(const ShellSettings& s, const std::function<bool(const std::string&)>& fileExists) {
    std::string out;
    out += "[*Vid*]\r\n";
    out += std::string("[Dos]=") + Bool(s.dos) + "\r\n";
    out += std::string("[InvVisible]=") + Bool(s.invVisible) + "\r\n";
    out += "[Width]=" + std::to_string(s.width) + "\r\n";
    out += "[Height]=" + std::to_string(s.height) + "\r\n";
    out += "[*Options*]\r\n";
    out += std::string("[Sobitia]=") + Bool(s.Soobit) + "\r\n";
    out += std::string("[Zvuk]=") + Bool(s.Zvuk) + "\r\n";
    out += std::string("[Music]=") + Bool(s.Music) + "\r\n";
    out += std::string("[Click]=") + Bool(s.clk) + "\r\n";
    // Only once chosen, and with the options: a line after the path section would be read as a path.
    if (!s.soundFont.empty() && s.soundFont.find_first_of("\r\n") == std::string::npos) {
        std::string cp = text::Utf8ToCp1251(s.soundFont);
        if (text::Cp1251ToUtf8(cp) == s.soundFont) out += "[SoundFont]=" + cp + "\r\n";
    }
    if (!s.keepGames) out += "[Continue]=False\r\n";
    if (s.watchQuest) out += "[WatchQuest]=True\r\n";
    if (s.zoom != 100) out += "[Zoom]=" + std::to_string(s.zoom) + "\r\n";
    if (s.readAloud) out += "[ReadAloud]=True\r\n";
    if (s.exactColours) out += "[ExactColours]=True\r\n";
    if (s.dialect != DialectSwitch::Auto)
        out += std::string("[Dialect]=") + (s.dialect == DialectSwitch::On ? "On" : "Off") + "\r\n";
    WriteFont(out, "[*Font1*]", "Font1", s.font1);
    WriteFont(out, "[*Font2*]", "font2", s.font2);
    WriteFont(out, "[*Font3*]", "Font3", s.font3);
    out += "[*Files*]\r\n";
    for (const std::string& path : s.RecentFiles) {
        // A line break inside a file name would split it into lines read as other entries.
        if (path.empty() || path.find_first_of("\r\n") != std::string::npos) continue;
        if (!fileExists || !fileExists(path)) continue;
        std::string cp = text::Utf8ToCp1251(path);
        if (text::Cp1251ToUtf8(cp) != path) continue;
        out += cp + "\r\n";
    }
    return out;
}

bool QuestFileExists(const std::string& utf8Path) {
    if (text::TrimView(utf8Path).empty()) return false;
    std::error_code ec;
    return fs::is_regular_file(ResolvePath(utf8Path), ec);
}

fs::path ProgramFolder() {
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec || exe.empty()) return fs::current_path(ec);
    return exe.parent_path();
}

fs::path QuestsFolder() {
    return QuestsFolderFor(ProgramFolder());
}

fs::path QuestsFolderFor(const fs::path& program) {
    std::error_code ec;
    for (fs::directory_iterator it(program, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code dirEc;
        if (it->is_directory(dirEc) && text::EqualsNoCase(it->path().filename().string(), "Quests"))
            return it->path();
    }
    const fs::path installed = program.parent_path() / "share" / "tarvik" / "quests";
    if (fs::is_directory(installed, ec)) return installed;
    return {};
}

fs::path HelpFolder() {
    return HelpFolderFor(ProgramFolder());
}

fs::path HelpFolderFor(const fs::path& program) {
    const fs::path candidates[] = {program / "help", program.parent_path() / "share" / "tarvik" / "help"};
    std::error_code ec;
    for (const fs::path& folder : candidates)
        if (fs::is_regular_file(folder / kHelpIndex, ec)) return folder;
    return {};
}

// An installed copy is laid out with its data folder share/tarvik beside its bin folder, wherever the prefix
// (/usr, ~/.local, an unpacked package), even when the bin folder happens to be writable (root, a
// group-writable /usr/local/bin).
bool InstalledCopy(const fs::path& programFolder) {
    std::error_code ec;
    return programFolder.filename() == "bin" &&
           fs::is_directory(programFolder.parent_path() / "share" / "tarvik", ec);
}

fs::path SettingsFilePathFor(const fs::path& programFolder) {
    if (!programFolder.empty() && !InstalledCopy(programFolder) && ::access(programFolder.c_str(), W_OK) == 0)
        return programFolder / "tarvik.ini";
    return UserConfigFolder() / "tarvik" / "tarvik.ini";
}

fs::path SettingsFilePath() {
    return SettingsFilePathFor(ProgramFolder());
}

bool LoadSettingsFile(const fs::path& file, ShellSettings& s) {
    std::string bytes;
    std::error_code ec;
    // Far larger than any settings file: refused unread, the defaults stay.
    if (!fs::is_regular_file(file, ec) || !ReadWholeFile(file.string(), bytes, kMaxSettingsFile))
        return false;
    ReadSettings(bytes, s);
    return true;
}

bool SaveSettingsFile(const fs::path& file, const ShellSettings& s) {
    std::error_code ec;
    if (file.has_parent_path()) fs::create_directories(file.parent_path(), ec);
    return WriteFileAtomically(file.string(), WriteSettings(s, QuestFileExists));
}

}  // namespace tarvik::shell
