// End-to-end runs of the terminal player: command line, script actions, exit codes and the JSON state dump.
#include <gtest/gtest.h>
#include <locale.h>
#include <sys/wait.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>

#include "test_host.h"

namespace tarvik::testing {
namespace {

// Just enough JSON to read the dump back: a failed parse means the player printed something that is not one
// JSON object.
struct Json {
    enum class Type { Null, Bool, Number, String, Array, Object } type = Type::Null;
    bool b = false;
    double num = 0;
    std::string str;
    std::vector<Json> items;
    // An object's members in the order written.
    std::vector<std::string> keys;
    std::vector<Json> values;

    const Json& operator[](const std::string& key) const {
        for (size_t i = 0; i < keys.size(); ++i)
            if (keys[i] == key) return values[i];
        static const Json missing;
        ADD_FAILURE() << "no key " << key;
        return missing;
    }
};

class JsonReader {
public:
    explicit JsonReader(const std::string& s) : m_S(s) {}

    bool ReadDocument(Json& out) {
        if (!Value(out)) return false;
        Blanks();
        return m_P == m_S.size();
    }

private:
    void Blanks() {
        while (m_P < m_S.size() &&
               (m_S[m_P] == ' ' || m_S[m_P] == '\n' || m_S[m_P] == '\r' || m_S[m_P] == '\t'))
            ++m_P;
    }
    bool Literal(const char* word) {
        size_t n = std::char_traits<char>::length(word);
        if (m_S.compare(m_P, n, word) != 0) return false;
        m_P += n;
        return true;
    }
    bool String(std::string& out) {
        if (m_S[m_P] != '"') return false;
        ++m_P;
        while (m_P < m_S.size() && m_S[m_P] != '"') {
            char c = m_S[m_P++];
            if (static_cast<unsigned char>(c) < 0x20) return false;
            if (c != '\\') {
                out += c;
                continue;
            }
            if (m_P >= m_S.size()) return false;
            char e = m_S[m_P++];
            switch (e) {
                case '"':
                    out += '"';
                    break;
                case '\\':
                    out += '\\';
                    break;
                case '/':
                    out += '/';
                    break;
                case 'n':
                    out += '\n';
                    break;
                case 'r':
                    out += '\r';
                    break;
                case 't':
                    out += '\t';
                    break;
                case 'b':
                    out += '\b';
                    break;
                case 'f':
                    out += '\f';
                    break;
                case 'u': {
                    if (m_P + 4 > m_S.size()) return false;
                    unsigned code = std::stoul(m_S.substr(m_P, 4), nullptr, 16);
                    m_P += 4;
                    if (code >= 0x80) return false;  // the dump escapes only control characters
                    out += static_cast<char>(code);
                    break;
                }
                default:
                    return false;
            }
        }
        if (m_P >= m_S.size()) return false;
        ++m_P;
        return true;
    }
    bool Value(Json& v) {
        Blanks();
        if (m_P >= m_S.size()) return false;
        char c = m_S[m_P];
        if (c == '{') {
            v.type = Json::Type::Object;
            ++m_P;
            Blanks();
            if (m_S[m_P] == '}') return ++m_P, true;
            for (;;) {
                Blanks();
                std::string key;
                if (!String(key)) return false;
                Blanks();
                if (m_S[m_P++] != ':') return false;
                Json member;
                if (!Value(member)) return false;
                v.keys.push_back(std::move(key));
                v.values.push_back(std::move(member));
                Blanks();
                if (m_S[m_P] == ',') {
                    ++m_P;
                    continue;
                }
                return m_S[m_P++] == '}';
            }
        }
        if (c == '[') {
            v.type = Json::Type::Array;
            ++m_P;
            Blanks();
            if (m_S[m_P] == ']') return ++m_P, true;
            for (;;) {
                Json item;
                if (!Value(item)) return false;
                v.items.push_back(std::move(item));
                Blanks();
                if (m_S[m_P] == ',') {
                    ++m_P;
                    continue;
                }
                return m_S[m_P++] == ']';
            }
        }
        if (c == '"') {
            v.type = Json::Type::String;
            return String(v.str);
        }
        if (Literal("true")) return v.type = Json::Type::Bool, v.b = true, true;
        if (Literal("false")) return v.type = Json::Type::Bool, v.b = false, true;
        if (Literal("null")) return v.type = Json::Type::Null, true;
        size_t end = m_S.find_first_not_of("+-0123456789.eE", m_P);
        std::string number = m_S.substr(m_P, end - m_P);
        if (number.empty() || number[0] == '+') return false;
        size_t used = 0;
        v.type = Json::Type::Number;
        try {
            v.num = std::stod(number, &used);
        } catch (const std::exception&) {
            return false;
        }
        m_P += used;
        return used == number.size();
    }

    const std::string& m_S;
    size_t m_P = 0;
};

class CliTest : public ::testing::Test, public QuestFixture {
protected:
    CliResult Cli(const std::vector<std::string>& args) { return RunCli(args, dir); }

    // Plays `quest` (UTF-8 here, written as code page 1251 with CR LF) with a UTF-8 script and reads the
    // dump.
    Json Play(const std::string& quest, const std::string& script, std::vector<std::string> extra = {}) {
        auto q = WriteFile("quest.qst", quest);
        auto s = WriteBytes("script.txt", script);
        std::vector<std::string> args{"play", q.string(), "--script", s.string(), "--dump", "--seed", "7"};
        args.insert(args.end(), extra.begin(), extra.end());
        CliResult r = Cli(args);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        Json dump;
        EXPECT_TRUE(JsonReader(r.out).ReadDocument(dump)) << "not one JSON object: " << r.out;
        EXPECT_EQ(dump.type, Json::Type::Object);
        return dump;
    }

    static std::vector<std::string> Names(const Json& variables) {
        std::vector<std::string> names;
        for (const auto& v : variables.items) names.push_back(v["name"].str);
        return names;
    }
    static const Json* Variable(const Json& dump, const std::string& name) {
        for (const auto& v : dump["variables"].items)
            if (v["name"].str == name) return &v["value"];
        return nullptr;
    }
};

TEST_F(CliTest, MissingQuestOrScriptExitsWithOne) {
    CliResult r = Cli({"play", (dir / "no-such.qst").string(), "--dump"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("no-such.qst"), std::string::npos) << r.err;
    EXPECT_TRUE(r.out.empty());

    auto q = WriteFile("quest.qst", "pln hi\nend\n");
    r = Cli({"play", q.string(), "--script", (dir / "no-such-script.txt").string()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("no-such-script.txt"), std::string::npos) << r.err;
}

TEST_F(CliTest, HelpAndVersionGoToStdout) {
    CliResult r = Cli({"--help"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_NE(r.out.find("tarvik-cli play QUEST"), std::string::npos) << r.out;
    r = Cli({"--version"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out.rfind("tarvik-cli ", 0), 0u) << r.out;
    EXPECT_TRUE(r.err.empty());
    r = Cli({});
    EXPECT_EQ(r.exitCode, 64);
    EXPECT_NE(r.err.find("Usage:"), std::string::npos);
}

TEST_F(CliTest, BadScriptLineExitsWithTwoNamingTheLine) {
    auto q = WriteFile("quest.qst", "pln hi\nbtn a, A\nend\n:a\npln there\nend\n");
    struct Case {
        std::string script;
        std::string line;
    };
    for (const Case& c : std::vector<Case>{
             {"# comment\n\nchoose 1\njump 2\n", "line 4"},
             {"choose\n", "line 1"},
             {"choose 0\n", "line 1"},
             {"\r\n  # indented comment\r\nkey 13\r\nanswer 8\r\n", "line 4"},
             {"key 256\n", "line 1"},
             {"choose 1 2\n", "line 1"},
             {"savefile\n", "line 1"},
         }) {
        auto s = WriteBytes("script.txt", c.script);
        CliResult r = Cli({"play", q.string(), "--script", s.string(), "--dump"});
        EXPECT_EQ(r.exitCode, 2) << c.script;
        EXPECT_NE(r.err.find(c.line), std::string::npos) << c.script << " -> " << r.err;
        // The script is checked before the quest starts, so nothing is played or dumped.
        EXPECT_TRUE(r.out.empty()) << c.script;
    }

    // A loadgame naming no file ends the play, naming its line.
    auto s = WriteBytes("script.txt", "choose 1\nloadgame no-such-save.qsv\nchoose 1\n");
    CliResult r = Cli({"play", q.string(), "--script", s.string(), "--dump"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("line 2"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("no-such-save.qsv"), std::string::npos) << r.err;
}

TEST_F(CliTest, DumpCarriesTextVariablesInCreationOrderAndOptions) {
    Json dump = Play(
        "pln Привет, мир!\n"
        "p без перевода,\n"
        "pln \"кавычки\" и \\обратная\n"
        "Zeta=5\n"
        "alpha=\"текст\"\n"
        "Half=1.5\n"
        "big=1000000\n"
        "neg=-0.25\n"
        "Zeta=6\n"
        "r=RND\n"
        "end\n",
        "");
    // A line break is CR LF; quotes and backslashes survive the escaping.
    EXPECT_EQ(dump["text"].str, "Привет, мир! \r\nбез перевода,\"кавычки\" и \\обратная \r\n");

    std::vector<std::string> names = Names(dump["variables"]);
    auto at = [&](const std::string& n) { return std::find(names.begin(), names.end(), n) - names.begin(); };
    ASSERT_LT(at("Zeta"), static_cast<long>(names.size()));
    EXPECT_LT(at("Zeta"), at("alpha"));  // creation order, not alphabetical; a later write keeps the place
    EXPECT_LT(at("alpha"), at("Half"));
    EXPECT_LT(at("Half"), at("big"));
    EXPECT_LT(at("big"), at("neg"));

    ASSERT_NE(Variable(dump, "Zeta"), nullptr);
    EXPECT_EQ(Variable(dump, "Zeta")->type, Json::Type::Number);
    EXPECT_EQ(Variable(dump, "Zeta")->num, 6);
    EXPECT_EQ(Variable(dump, "alpha")->type, Json::Type::String);
    EXPECT_EQ(Variable(dump, "alpha")->str, "текст");
    EXPECT_EQ(Variable(dump, "Half")->num, 1.5);
    EXPECT_EQ(Variable(dump, "neg")->num, -0.25);
    // The window-text colour every game starts with, as a number.
    ASSERT_NE(Variable(dump, "Style_TextColor"), nullptr);
    EXPECT_EQ(Variable(dump, "Style_TextColor")->num, -2147483640);

    EXPECT_EQ(dump["buttons"].items.size(), 0u);
    EXPECT_EQ(dump["inventory"].items.size(), 0u);
    EXPECT_EQ(dump["messages"].items.size(), 0u);
    const Json& o = dump["options"];
    ASSERT_EQ(o.keys.size(), 6u);
    std::map<std::string, bool> expected{{"Soobit", true}, {"clk", false},     {"Zvuk", true},
                                         {"Music", true},  {"SvBlock", false}, {"inv", false}};
    for (size_t i = 0; i < o.keys.size(); ++i) EXPECT_EQ(o.values[i].b, expected.at(o.keys[i])) << o.keys[i];

    // Whole numbers print without a fraction or an exponent.
    auto q = dir / "quest.qst";
    CliResult r = Cli({"play", q.string(), "--dump", "--set", "CLK=true", "--set", "Soobit=false"});
    EXPECT_NE(r.out.find("{\"name\":\"big\",\"value\":1000000}"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\"Soobit\":false,\"clk\":true"), std::string::npos) << r.out;
    // RND is single precision: its shortest float form (at most 9 digits), not the long double expansion.
    const std::string key = "{\"name\":\"r\",\"value\":";
    size_t pos = r.out.find(key);
    ASSERT_NE(pos, std::string::npos) << r.out;
    std::string rnd = r.out.substr(pos + key.size(), r.out.find('}', pos) - pos - key.size());
    EXPECT_LE(rnd.size(), 11u) << rnd;
    double value = std::stod(rnd);
    EXPECT_GT(value, 0);
    EXPECT_LT(value, 1);
    char shortest[32];
    auto res = std::to_chars(shortest, shortest + sizeof shortest, static_cast<float>(value));
    EXPECT_EQ(std::string(shortest, res.ptr), rnd);

    r = Cli({"play", q.string(), "--dump", "--set", "sound=true"});
    EXPECT_EQ(r.exitCode, 64);
}

TEST_F(CliTest, ChoosePlaysOnToTheNextLocation) {
    const std::string quest =
        "pln Вы у двери.\n"
        "btn room, Войти\n"
        "btn nowhere, Никуда\n"
        "end\n"
        ":room\n"
        "pln Вы в комнате.\n"
        "btn Лестница, Наверх\n"
        "end\n"
        ":лестница\n"
        "pln Наверху.\n"
        "end\n";
    Json first = Play(quest, "");
    ASSERT_EQ(first["buttons"].items.size(), 2u);
    EXPECT_EQ(first["buttons"].items[0]["caption"].str, "Войти ");
    EXPECT_EQ(first["buttons"].items[0]["label"].str, "room");
    EXPECT_EQ(first["buttons"].items[0]["commands"].str, "");
    EXPECT_EQ(first["buttons"].items[1]["caption"].str, "Никуда  //phantom");

    Json second = Play(quest, "choose 1\n");
    EXPECT_EQ(second["text"].str, "Вы в комнате. \r\n");
    ASSERT_EQ(second["buttons"].items.size(), 1u);
    EXPECT_EQ(second["buttons"].items[0]["caption"].str, "Наверх ");
    ASSERT_NE(Variable(second, "current_loc"), nullptr);
    EXPECT_EQ(Variable(second, "current_loc")->str, "room");

    // A phantom cannot be chosen, and choosing past the end of the list is ignored with a warning.
    Json third = Play(quest, "choose 2\nchoose 5\nchoose 1\nchoose 1\n");
    EXPECT_EQ(third["text"].str, "Наверху. \r\n");
    EXPECT_EQ(Variable(third, "previous_loc")->str, "room");
}

TEST_F(CliTest, EventsReachTheWaitsOfAnykeyAndInput) {
    const std::string quest =
        "pln Нажмите клавишу\n"
        "pause 32000\n"
        "anykey k\n"
        "pln после\n"
        "input name\n"
        "pln Привет, #name$!\n"
        "end\n";
    // A pause does not sleep under a script; the key and the typed line complete the waits in turn.
    Json dump = Play(quest, "key 97\ntype Вася\n");
    EXPECT_EQ(dump["text"].str, "Нажмите клавишу \r\nпосле \r\nПривет, Вася! \r\n");
    ASSERT_NE(Variable(dump, "k"), nullptr);
    EXPECT_EQ(Variable(dump, "k")->num, 97);
    ASSERT_NE(Variable(dump, "name"), nullptr);
    EXPECT_EQ(Variable(dump, "name")->str, "Вася");

    // When the script runs out inside a wait, the play ends there.
    dump = Play(quest, "");
    EXPECT_EQ(dump["text"].str, "Нажмите клавишу \r\n");
    EXPECT_EQ(Variable(dump, "k"), nullptr);

    // A button chosen during the wait starts its run at once; the waiting run does not go on afterwards.
    dump = Play(
        "btn room, Войти\n"
        "pln ждём\n"
        "anykey k\n"
        "pln не должно\n"
        "end\n"
        ":room\n"
        "pln комната\n"
        "end\n",
        "choose 1\n");
    EXPECT_EQ(dump["text"].str, "комната \r\n");
}

TEST_F(CliTest, DumpTellsWhatTheGameWaitsFor) {
    struct Case {
        const char* quest;
        const char* script;
        const char* waiting;
    } cases[] = {
        {"pln a\nend\n", "", ""},
        {"input name\npln #name$\nend\n", "", "input"},
        {"anykey\nend\n", "", "anykey"},
        {"quit\n", "", "quit"},
        // Answered waits are no longer reported; a wait interrupted by a choice is handed back when its run
        // ends.
        {"input name\nanykey\nend\n", "type x\n", "anykey"},
        {"input name\nanykey\nend\n", "type x\nkey 32\n", ""},
        {"btn r, Go\nanykey\nend\n:r\ninput name\nend\n", "choose 1\n", "input"},
        {"btn r, Go\nanykey\nend\n:r\ninput name\nend\n", "choose 1\ntype x\n", "anykey"},
        {"btn r, Go\nanykey\nend\n:r\ninput name\nend\n", "choose 1\ntype x\nkey 32\n", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.quest);
        EXPECT_EQ(Play(c.quest, c.script)["waiting"].str, c.waiting);
    }
}

TEST_F(CliTest, ItemsOfferActionsAndMessagesAreRecorded) {
    const std::string quest =
        "inv+ 2, старый ключ\n"
        "inv+ фонарь\n"
        "pln Здесь дверь.\n"
        "end\n"
        ":use_старый ключ_Открыть\n"
        "pln Дверь открыта.\n"
        "end\n"
        ":use_старый ключ\n"
        "pln Ключ как ключ.\n"
        "end\n";
    Json dump = Play(quest, "item 1\naction Открыть\nitem 1\n", {"--set", "soobit=false"});
    ASSERT_EQ(dump["inventory"].items.size(), 2u);
    EXPECT_EQ(dump["inventory"].items[0]["entry"].str, "2шт. старый ключ");
    EXPECT_EQ(dump["inventory"].items[0]["name"].str, "старый ключ");
    EXPECT_EQ(dump["inventory"].items[0]["count"].num, 2);
    EXPECT_EQ(dump["inventory"].items[1]["name"].str, "фонарь");
    EXPECT_EQ(dump["inventory"].items[1]["count"].num, 1);
    // The action ran as a procedure: the page stays and gains its text.
    EXPECT_EQ(dump["text"].str, "Здесь дверь. \r\nДверь открыта. \r\n");
    ASSERT_EQ(dump["actions"].items.size(), 2u);
    EXPECT_EQ(dump["actions"].items[0].str, "Открыть");
    EXPECT_EQ(dump["actions"].items[1].str, "Осмотреть");
    ASSERT_EQ(dump["messages"].items.size(), 2u);
    EXPECT_EQ(dump["messages"].items[0]["title"].str, "Ты получил предмет");
    EXPECT_EQ(dump["messages"].items[0]["text"].str, "Ты получил 2шт. старый ключ");

    // The fixed final entry offers no actions here; its number is past the items.
    dump = Play(quest, "item 3\n");
    EXPECT_EQ(dump["actions"].items.size(), 0u);
    EXPECT_EQ(dump["messages"].items.size(), 0u);  // Soobit is on by default
}

TEST_F(CliTest, QueuedAnswersReachTheNextMessageBox) {
    const std::string quest =
        "MsgBox \"Готовы?\", \"Вопрос\", zotQuestion+ZotYN, otvet\n"
        "pln #otvet$\n"
        "btn again, Ещё\n"
        "end\n"
        ":again\n"
        "MsgBox \"Снова?\", \"Вопрос\", zotQuestion+ZotYNC, otvet\n"
        "pln #otvet$\n"
        "end\n";
    // An answer before the first event serves a box of the opening run; one before a choose serves that run.
    Json dump = Play(quest, "answer 7\nanswer 2\nchoose 1\n");
    EXPECT_EQ(dump["text"].str, "2 \r\n");
    ASSERT_EQ(dump["messages"].items.size(), 2u);
    EXPECT_EQ(dump["messages"].items[0]["text"].str, "Готовы?");
    EXPECT_EQ(dump["messages"].items[1]["title"].str, "Вопрос");
    // With nothing queued a box returns its first button: Yes.
    dump = Play(quest, "");
    EXPECT_EQ(dump["text"].str, "6 \r\n");
}

}  // namespace
}  // namespace tarvik::testing

namespace tarvik::testing {
namespace {

TEST_F(CliTest, DumpListsTheHtmlPagesShownAndTheTerminalShowsThemAsText) {
    const std::string quest =
        "html true\n"
        "<html><body><h1>Замок</h1>\n"
        "<p>Ворота &laquo;открыты&raquo;.<br>Войти?</p></body>\n"
        "</html>\n"
        "btn next, Дальше\n"
        "end\n"
        ":next\n"
        "cls\n"
        "pln Второй\n"
        "end\n";
    Json dump = Play(quest, "choose 1\n");
    const Json& html = dump["html"];
    EXPECT_TRUE(html["visible"].b);
    ASSERT_EQ(html["pages"].items.size(), 2u);
    EXPECT_EQ(html["pages"].items[0].str,
              "<html><body><h1>Замок</h1><p>Ворота &laquo;открыты&raquo;.<br>Войти?</p></body></html>\r\n");
    EXPECT_EQ(html["pages"].items[1].str, "Второй \r\n \r\n");

    Json off = Play("pln plain\nend\n", "");
    EXPECT_FALSE(off["html"]["visible"].b);
    EXPECT_TRUE(off["html"]["pages"].items.empty());

    // The terminal player, with no input, shows the first page as text and ends.
    WriteFile("quest.qst", quest);
    CliResult r = Cli({"play", (dir / "quest.qst").string()});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("Замок\n\nВорота «открыты».\nВойти?\n"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("<h1>"), std::string::npos) << r.out;
}

}  // namespace
}  // namespace tarvik::testing

namespace tarvik::testing {
namespace {

// A script may come down a pipe, as "-" or /dev/stdin; an endless stream is refused at the size limit rather
// than read whole.
TEST_F(CliTest, ScriptFromStandardInput) {
    auto q = WriteFile("quest.qst", "pln at the door\nbtn room, In\nend\n:room\npln inside\nend\n");
    const std::string script = "cat '" + WriteBytes("script.txt", "choose 1\n").string() + "'";
    struct Case {
        std::string feed, name;
        int exitCode;
        std::string expected;
    } cases[] = {
        {script, "-", 0, "inside"},
        {script, "/dev/stdin", 0, "inside"},
        {"yes 'choose 1'", "-", 1, "is larger than 64 MB"},
        {"cat /dev/zero", "/dev/stdin", 1, "is larger than 64 MB"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.feed + " | --script " + c.name);
        CliResult r = RunCli({"play", q.string(), "--script", c.name, "--dump"}, dir, c.feed);
        EXPECT_EQ(r.exitCode, c.exitCode) << r.err;
        EXPECT_NE((c.exitCode == 0 ? r.out : r.err).find(c.expected), std::string::npos) << r.out << r.err;
    }
}

// The environment for a Russian locale, and the locale; where the machine lacks one, it is made in `dir`.
std::pair<std::string, locale_t> RussianLocale(const std::filesystem::path& dir) {
    if (locale_t l = newlocale(LC_ALL_MASK, "ru_RU.UTF-8", locale_t{}))
        return {"LC_ALL= LANG=ru_RU.UTF-8", l};
    const std::string cmd =
        "localedef -i ru_RU -f UTF-8 '" + (dir / "ru_RU.UTF-8").string() + "' >/dev/null 2>&1";
    EXPECT_EQ(std::system(cmd.c_str()), 0) << "cannot make the ru_RU.UTF-8 locale";
    setenv("LOCPATH", dir.c_str(), 1);
    locale_t l = newlocale(LC_ALL_MASK, "ru_RU.UTF-8", locale_t{});
    unsetenv("LOCPATH");
    return {"LC_ALL= LOCPATH='" + dir.string() + "' LANG=ru_RU.UTF-8", l};
}

// The player's own words follow the locale, and so do the system's error texts it passes on, in the same
// UTF-8; the quest's text and its buttons do not change with it.
TEST_F(CliTest, PlayerSpeaksTheLanguageOfTheLocale) {
    auto q = WriteFile("quest.qst", "pln Дверь.\nbtn a, Войти\nbtn b, Уйти\nend\n:a\nend\n:b\nend\n");
    auto [russian, ru] = RussianLocale(dir);
    ASSERT_NE(ru, locale_t{});
    locale_t c = newlocale(LC_ALL_MASK, "C", locale_t{});
    struct Case {
        std::string env;
        std::vector<std::string> play;
        std::string help, noScript;
        locale_t locale;
    } cases[] = {
        {russian,
         {"Наберите номер кнопки", "Выберите число от 1 до 2.", "  u        ход назад", "До свидания."},
         "Запуск: tarvik-cli play КВЕСТ",
         "не удаётся прочитать сценарий ",
         ru},
        {"LC_ALL= LANG=C",
         {"Type a button's number", "Choose a number from 1 to 2.", "  u        undo", "Goodbye."},
         "Usage: tarvik-cli play QUEST",
         "cannot read the script ",
         c},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.env);
        CliResult r = RunCli({"play", q.string()}, dir, "printf '5\\n?\\n'", k.env);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        for (const std::string& text : k.play)
            EXPECT_NE(r.out.find(text), std::string::npos) << text << "\n" << r.out;
        EXPECT_NE(r.out.find("Дверь."), std::string::npos) << r.out;
        EXPECT_NE(r.out.find("2. Уйти"), std::string::npos) << r.out;
        r = RunCli({"--help"}, dir, {}, k.env);
        EXPECT_EQ(r.out.rfind(k.help, 0), 0u) << r.out;
        const std::string none = (dir / "none.txt").string();
        r = RunCli({"play", q.string(), "--script", none}, dir, {}, k.env);
        EXPECT_EQ(r.err, "tarvik-cli: " + k.noScript + none + ": " + strerror_l(ENOENT, k.locale) + "\n");
    }
    freelocale(ru);
    freelocale(c);
}

}  // namespace
}  // namespace tarvik::testing
