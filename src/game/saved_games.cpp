// Saved games: a .qsv file is a small program in the quest language that rebuilds the game when it is run
// line by line.
//
// The plain format escapes nothing, so a value or screen line holding a line break, a double quote, ";",
// "&", a "#...$" form or an HTML tag would not survive being run as a statement. Such a line is written as
// "%" followed by the plain line with the troublesome bytes as %XX, which no statement of the language
// begins with; the restore decodes it and hands it straight to the routine the plain line would reach,
// past the line preparation that would damage it. Every other line is written exactly as before.
//
// Screen lines, buttons and items are always restored that direct way: run as statements they would gain
// the executor's trailing blank at every save and load.
#include "engine/engine.h"
#include "files/paths.h"

namespace tarvik {

namespace {

const std::string& SaveTitle() {
    static const std::string s = text::Utf8ToCp1251("Куда вы хотите сохраниться? ");
    return s;
}
const std::string& LoadTitle() {
    static const std::string s = text::Utf8ToCp1251("Какое сохранение вы желаете загрузить? ");
    return s;
}
const std::string& Filter() {
    static const std::string s = text::Utf8ToCp1251("Сохранения квестов (*.qsv)|*.qsv");
    return s;
}
const std::string& SaveFailed() {
    static const std::string s = text::Utf8ToCp1251("Не удалось записать сохранение ");
    return s;
}
const std::string& SaveTooLarge() {
    static const std::string s = text::Utf8ToCp1251("Файл слишком велик для сохранения: ");
    return s;
}
const std::string& AppTitle() {
    static const std::string s = text::Utf8ToCp1251("Тарвик:");
    return s;
}
const std::string& NotASave() {
    static const std::string s = text::Utf8ToCp1251("Это не сохранённая игра: ");
    return s;
}
constexpr int kCriticalIcon = 16;

constexpr char kEscapeMark = '%';
constexpr std::string_view kCrLf = "\r\n";

bool EscapedByte(unsigned char c) {
    return c < 0x20 || c == 0x7f || c == '"' || c == '#' || c == '$' || c == '%' || c == '&' || c == ';' ||
           c == '<' || c == '>';
}

std::string Encode(std::string_view line) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out(1, kEscapeMark);
    out.reserve(line.size() + line.size() / 4 + 1);
    for (char ch : line) {
        auto c = static_cast<unsigned char>(ch);
        if (EscapedByte(c)) {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        } else {
            out += ch;
        }
    }
    return out;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// A "%" not followed by two hex digits stands for itself, so a damaged line still decodes to something.
std::string Decode(std::string_view body) {
    std::string out;
    out.reserve(body.size());
    for (size_t i = 0; i < body.size(); ++i) {
        if (body[i] == '%' && i + 2 < body.size()) {
            int hi = HexDigit(body[i + 1]), lo = HexDigit(body[i + 2]);
            if (hi >= 0 && lo >= 0) {
                out += static_cast<char>(hi * 16 + lo);
                i += 2;
                continue;
            }
        }
        out += body[i];
    }
    return out;
}

// What the run loop and the executor would alter in a line of the file: line ends, comments, chains,
// substitution, HTML blocks and the "&&" marker.
bool AlteredWhenRun(std::string_view s) {
    size_t hash = std::string_view::npos;
    for (size_t i = 0; i < s.size(); ++i) {
        char c = s[i];
        if (c == '\r' || c == '\n' || c == ';' || c == '&' || c == '"') return true;
        if (c == '#' && hash == std::string_view::npos) hash = i;
        if (c == '$' && hash != std::string_view::npos) return true;
    }
    return text::ContainsNoCase(s, "<html>") || text::ContainsNoCase(s, "</html>") ||
           text::ContainsNoCase(s, "+alsotrv+");
}

void WriteLine(std::string& out, std::string_view line) {
    out.append(line);
    out.append(kCrLf);
}

// A statement line of the file: written plain when running it gives back what was saved.
void WriteStatement(std::string& out, std::string_view keyword, std::string_view payload) {
    if (AlteredWhenRun(payload)) {
        std::string plain(keyword);
        plain.append(payload);
        WriteLine(out, Encode(plain));
        return;
    }
    out.append(keyword);
    out.append(payload);
    out.append(kCrLf);
}

// The saved game's file name: the chosen name up to its first ".qsv", in any case, then ".qsv". Only the
// file's own name is looked at: a folder named "my.qsv.saves" must not turn the save into "my.qsv" beside it.
std::string SaveFileName(const std::string& chosen) {
    const size_t slash = chosen.find_last_of('/');
    const size_t name = slash == std::string::npos ? 0 : slash + 1;
    size_t at = text::FindNoCase(std::string_view(chosen).substr(name), ".qsv");
    return (at == std::string::npos ? chosen : chosen.substr(0, name + at)) + ".qsv";
}

// Splits a saved file into lines at CR LF, and also at a lone CR or LF (a save edited elsewhere).
std::vector<std::string> SplitLines(const std::string& bytes) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t i = 0; i < bytes.size(); ++i) {
        char c = bytes[i];
        if (c != '\r' && c != '\n') continue;
        lines.emplace_back(bytes, start, i - start);
        if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < bytes.size()) lines.emplace_back(bytes, start, bytes.size() - start);
    return lines;
}

}  // namespace

bool IsSavedGameText(std::string_view bytes) {
    size_t end = bytes.find_first_of("\r\n");
    return text::EqualsNoCase(text::TrimView(bytes.substr(0, end)), "PerKill");
}

std::string Engine::SavedGameText(const std::string& arg, bool exactTypes) const {
    std::string out;
    WriteLine(out, "PerKill");

    for (const std::string& name : m_Vars.names()) {
        const Value* v = m_Vars.Find(name);
        std::string value = v ? v->ToText() : std::string();
        const bool isText = exactTypes && v && v->IsText();
        if (!isText && text::IsNumeric(value)) {
            std::string line = name + "=" + value;
            if (!name.empty() && name.front() == kEscapeMark)
                WriteLine(out, Encode(line));
            else
                WriteStatement(out, "", line);
            continue;
        }
        // Do_Perem would also close up "= " and " =" inside the quotes.
        std::string line = name + "=\"" + value + "\"";
        bool plain = !AlteredWhenRun(name) && !AlteredWhenRun(value) &&
                     value.find("= ") == std::string::npos && value.find(" =") == std::string::npos &&
                     !(name.size() && name.front() == kEscapeMark) && !(isText && text::IsNumeric(value));
        WriteLine(out, plain ? line : Encode(line));
    }

    if (arg.empty()) {
        std::string screen = ScreenText();
        size_t from = 0;
        while (from < screen.size()) {
            size_t end = screen.find(kCrLf, from);
            if (end == std::string::npos) end = screen.size();
            WriteStatement(out, "PrintLn ", std::string_view(screen).substr(from, end - from));
            from = end + kCrLf.size();
        }
        for (size_t i = 0; i < m_List1.size(); ++i) {
            std::string commands = i < m_BtnCommands.size() ? m_BtnCommands[i] : std::string();
            text::ReplaceAllNoCase(commands, "\r\n", "|");
            std::string label = i < m_BtnLabels.size() ? m_BtnLabels[i] : std::string();
            // A button with statements comes back as it was declared, which restores it in DialectMode.
            if (m_Dialect && label.empty() && !commands.empty()) {
                WriteStatement(out, "Btn ", commands + "," + m_List1[i]);
                continue;
            }
            // A button to a missing label gets its mark again when it is restored: written with it, its
            // caption would grow by one mark at every save and load.
            std::string_view caption = m_List1[i];
            static constexpr std::string_view kPhantomMark = " //phantom";
            if (!m_Program.LabelListed(label) && caption.size() >= kPhantomMark.size() &&
                caption.substr(caption.size() - kPhantomMark.size()) == kPhantomMark)
                caption.remove_suffix(kPhantomMark.size());
            WriteStatement(out, "xBtn ", label + ",{" + commands + "}," + std::string(caption));
        }
    }

    WriteLine(out, "InvKill");
    for (int i = 0; i <= m_Items.last() && i < m_Items.size(); ++i) {
        const InvEntry& e = m_Items[i];
        std::string name = m_Items.NameAt(i);
        if (exactTypes) {
            // The entry's own count text comes back as it reads ("2шт.", not " 2 шт.").
            static const std::string pieces = text::Utf8ToCp1251("шт. ");
            size_t at = e.text.find(pieces);
            std::string count = at == std::string::npos ? std::to_string(e.count) : e.text.substr(0, at);
            WriteStatement(out, "Inv+ ", count + "," + name);
            continue;
        }
        // A name with a comma needs the count in front, or its first part would be read as the count.
        if (e.count == 1 && name.find(',') == std::string::npos)
            WriteStatement(out, "Inv+ ", name);
        else
            WriteStatement(out, "Inv+ ",
                           std::string(" ").append(std::to_string(e.count)).append(" ,").append(name));
    }

    if (arg.empty()) {
        WriteLine(out, "end");
    } else {
        WriteLine(out, "Cls");
        WriteStatement(out, "GoTo ", arg);
    }
    return out;
}

void Engine::SaveGame(const std::string& arg) {
    // A replayed game saves nothing over the player's files.
    if (m_Replaying) return;
    DialogResult chosen = m_Host.SaveFileDialog(SaveTitle(), Filter());
    if (!chosen.accepted() || chosen.text.empty()) return;
    std::string path = SaveFileName(chosen.text);
    // A save that silently failed would cost the player the game they believe is kept.
    if (!WriteFileAtomically(path, SavedGameText(arg)))
        m_Host.MessageBox(SaveFailed() + text::Utf8ToCp1251(path), AppTitle(), kCriticalIcon);
}

void Engine::RestoreGame() {
    // Only a loaded quest can take a saved game back.
    if (m_QuestPath.empty()) return;
    DialogResult chosen = m_Host.OpenFileDialog(LoadTitle(), Filter(), m_QuestsFolder);
    if (!chosen.accepted() || chosen.text.empty()) return;
    std::string bytes;
    const std::string path = ResolvePath(chosen.text);
    // A file far larger than any saved game is refused before it is read; it leaves the game as it is.
    if (FileLargerThan(path, Limits::kMaxSavedGame)) {
        m_Host.MessageBox(SaveTooLarge() + text::Utf8ToCp1251(path), AppTitle(), kCriticalIcon);
        return;
    }
    // An unreadable file leaves the running game as it is.
    if (!ReadWholeFile(path, bytes, Limits::kMaxSavedGame)) return;
    bytes = text::QuestTextToCp1251(std::move(bytes));
    // Running any other file would wipe the game for nothing: a saved game always begins with PerKill.
    if (!IsSavedGameText(bytes)) {
        m_Host.MessageBox(NotASave() + text::Utf8ToCp1251(chosen.text), AppTitle(), kCriticalIcon);
        return;
    }
    RestoreGameText(bytes);
}

bool Engine::RestoreGameText(const std::string& bytes) {
    std::vector<std::string> lines = SplitLines(bytes);
    ResetGame();
    m_ReplayFrom = bytes;
    const uint32_t game = m_Game;
    // Level 2 starts past the program's end, so a file cut short before its final GoTo runs nothing more.
    m_NextLine.assign(3, 0);
    m_NextLine[2] = static_cast<int32_t>(m_Program.size());

    std::string last;
    for (std::string& line : lines) {
        if (m_Game != game || m_Stopping) return false;
        last = line;
        if (!line.empty() && line.front() == kEscapeMark) {
            RestoreLine(Decode(std::string_view(line).substr(1)));
            continue;
        }
        if (text::StartsWithNoCase(line, "PrintLn ") || text::StartsWithNoCase(line, "xBtn ") ||
            text::StartsWithNoCase(line, "Inv+ ") || (m_Dialect && text::StartsWithNoCase(line, "Btn "))) {
            RestoreLine(line);
            continue;
        }
        int level = 2;
        RunLabel(level, line);
    }
    if (m_Game != game || m_Stopping) return false;

    if (text::EqualsNoCase(text::Trim(last), "end")) {
        int level = 1;
        std::string lend = "lend";
        RunLabel(level, lend);
    } else {
        int level = 2;
        std::string none;
        RunLabel(level, none);
    }
    return m_Game == game && !m_Stopping;
}

void Engine::RestoreLine(const std::string& plain) {
    try {
        if (text::StartsWithNoCase(plain, "PrintLn ")) {
            PrintLine(plain.substr(8));
        } else if (text::StartsWithNoCase(plain, "xBtn ")) {
            AddCommandButton(plain.substr(5));
        } else if (m_Dialect && text::StartsWithNoCase(plain, "Btn ")) {
            AddButton(plain.substr(4));
        } else if (text::StartsWithNoCase(plain, "Inv+ ")) {
            // The writer pads a count with a blank on each side; the entry read "4шт. Монета" when saved.
            std::string arg = plain.substr(5);
            size_t comma = arg.find(',');
            if (comma != std::string::npos)
                arg = text::Trim(std::string_view(arg).substr(0, comma)) + arg.substr(comma);
            GiveItem(arg + " ");
        } else if (text::StartsWithNoCase(plain, "GoTo ")) {
            GotoLabel(plain.substr(5), 2);
        } else {
            size_t eq = plain.find('=');
            if (eq == std::string::npos || eq == 0) return;
            std::string name = plain.substr(0, eq);
            std::string value = plain.substr(eq + 1);
            if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
                m_Vars.Store(name, Value::Text(value.substr(1, value.size() - 2)));
            } else {
                m_Vars.Store(name, Calc(value));
            }
        }
    } catch (const std::exception&) {
        // As in play: a statement that fails does nothing more.
    }
}

}  // namespace tarvik
