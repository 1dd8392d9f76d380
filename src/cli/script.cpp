#include "cli/script.h"

#include <charconv>

#include "cli/messages.h"
#include "text/text.h"

namespace tarvik::cli {

namespace {

std::string_view TrimBlanks(std::string_view s) {
    size_t b = s.find_first_not_of(" \t");
    if (b == std::string_view::npos) return {};
    size_t e = s.find_last_not_of(" \t");
    return s.substr(b, e - b + 1);
}

bool ParseInt(std::string_view s, int lo, int hi, int& out) {
    if (s.empty()) return false;
    for (char c : s)
        if (c < '0' || c > '9') return false;
    auto res = std::from_chars(s.data(), s.data() + s.size(), out);
    return res.ec == std::errc() && res.ptr == s.data() + s.size() && out >= lo && out <= hi;
}

// A position in twips: digits with an optional fraction after "." or ",", up to a picture's reach.
bool ParseTwips(std::string_view s, double& out) {
    std::string t(s);
    for (char& c : t)
        if (c == ',') c = '.';
    if (t.empty() || t.find_first_not_of("0123456789.") != std::string::npos) return false;
    auto res = std::from_chars(t.data(), t.data() + t.size(), out);
    return res.ec == std::errc() && res.ptr == t.data() + t.size() && out <= 1e7;
}

bool SameWord(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

}  // namespace

bool ParseScript(std::string_view utf8, std::vector<ScriptAction>& actions, ScriptError& error) {
    if (utf8.substr(0, 3) == "\xEF\xBB\xBF") utf8.remove_prefix(3);
    int lineNo = 0;
    size_t pos = 0;
    while (pos < utf8.size()) {
        size_t nl = utf8.find('\n', pos);
        std::string_view raw =
            utf8.substr(pos, nl == std::string_view::npos ? std::string_view::npos : nl - pos);
        pos = nl == std::string_view::npos ? utf8.size() : nl + 1;
        ++lineNo;
        if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);

        std::string_view line = TrimBlanks(raw);
        if (line.empty() || line.front() == '#') continue;

        size_t sp = line.find_first_of(" \t");
        std::string_view word = line.substr(0, sp);
        std::string_view arg =
            sp == std::string_view::npos ? std::string_view() : TrimBlanks(line.substr(sp));

        auto fail = [&](std::string message) {
            error.line = lineNo;
            error.message = std::move(message);
            return false;
        };

        ScriptAction a;
        a.line = lineNo;
        using K = ScriptAction::Kind;
        if (SameWord(word, "choose") || SameWord(word, "item")) {
            a.kind = SameWord(word, "choose") ? K::Choose : K::Item;
            if (!ParseInt(arg, 1, 1000000, a.number))
                return fail(
                    Format(_("%s needs a number, 1 or more: \"%s\""), std::string(word), std::string(line)));
        } else if (SameWord(word, "key")) {
            a.kind = K::Key;
            if (!ParseInt(arg, 0, 255, a.number))
                return fail(Format(_("key needs a character code from 0 to 255: \"%s\""), std::string(line)));
        } else if (SameWord(word, "answer")) {
            a.kind = K::Answer;
            if (!ParseInt(arg, 1, 7, a.number))
                return fail(Format(_("answer needs a button number from 1 (OK) to 7 (No): \"%s\""),
                                   std::string(line)));
        } else if (SameWord(word, "action") || SameWord(word, "type") || SameWord(word, "prompt")) {
            a.kind = SameWord(word, "action") ? K::Action : SameWord(word, "type") ? K::Type : K::Prompt;
            a.text = text::Utf8ToCp1251(arg);
        } else if (SameWord(word, "savefile") || SameWord(word, "loadgame")) {
            a.kind = SameWord(word, "savefile") ? K::SaveFile : K::LoadGame;
            if (arg.empty()) return fail(Format(_("%s needs a file path"), std::string(word)));
            a.text = std::string(arg);
        } else if (SameWord(word, "undo")) {
            a.kind = K::Undo;
            if (!arg.empty())
                return fail(Format(_("%s takes nothing after it: \"%s\""), "undo", std::string(line)));
        } else if (SameWord(word, "newgame")) {
            a.kind = K::NewGame;
            if (!arg.empty())
                return fail(Format(_("%s takes nothing after it: \"%s\""), "newgame", std::string(line)));
        } else if (SameWord(word, "slot") || SameWord(word, "overlay")) {
            // Pictures.
            const bool slot = SameWord(word, "slot");
            a.kind = slot ? K::Slot : K::Overlay;
            if (!ParseInt(arg, slot ? 1 : 2, slot ? 128 : 101, a.number))
                return fail(Format(slot ? _("slot needs a slot number from 1 to 128: \"%s\"")
                                        : _("overlay needs an overlay number from 2 to 101: \"%s\""),
                                   std::string(line)));
        } else if (SameWord(word, "image")) {
            a.kind = K::Image;
            std::vector<std::string_view> parts;
            for (std::string_view rest = arg; !rest.empty();) {
                size_t cut = rest.find_first_of(" \t");
                parts.push_back(rest.substr(0, cut));
                rest = cut == std::string_view::npos ? std::string_view() : TrimBlanks(rest.substr(cut));
            }
            a.number = 1;
            bool ok = (parts.size() == 2 || parts.size() == 3) && ParseTwips(parts[0], a.x) &&
                      ParseTwips(parts[1], a.y);
            if (ok && parts.size() == 3) ok = ParseInt(parts[2], 1, 4, a.number) && a.number != 3;
            if (!ok)
                return fail(Format(_("image needs X Y in twips and an optional button 1, 2 or 4: \"%s\""),
                                   std::string(line)));
        } else if (SameWord(word, "toggle")) {
            a.kind = K::Toggle;
            static constexpr std::string_view kOptions[] = {"soobit", "clk",     "zvuk",
                                                            "music",  "svblock", "inv"};
            bool known = false;
            for (std::string_view o : kOptions) known = known || SameWord(arg, o);
            if (!known)
                return fail(
                    Format(_("toggle needs an option: Soobit, clk, Zvuk, Music, SvBlock or inv: \"%s\""),
                           std::string(line)));
            a.text = std::string(arg);
        } else if (SameWord(word, "musicend")) {
            a.kind = K::MusicEnd;
            if (!arg.empty())
                return fail(Format(_("%s takes nothing after it: \"%s\""), "musicend", std::string(line)));
        } else {
            return fail(Format(_("not a script action: \"%s\""), std::string(line)));
        }
        actions.push_back(std::move(a));
    }
    return true;
}

}  // namespace tarvik::cli
