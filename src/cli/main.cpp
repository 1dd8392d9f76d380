// tarvik-cli: plays a quest in the terminal, or runs it from a script and dumps the resulting state as JSON.
//
// Exit codes: 0 the play or the script ran to its end; 1 the quest, the script file or a saved game to load
// does not exist or cannot be read; 2 a script line is not an action; 3 a script action is not supported by
// this build; 4 the quest did not stop within --timeout; 64 bad command line; 70 an internal error.
#include <charconv>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

#include "cli/dump.h"
#include "cli/script.h"
#include "cli/script_host.h"
#include "cli/terminal_host.h"
#include "cli/tools_cmd.h"
#include "engine/engine.h"
#include "media/audio.h"
#include "net/curl_client.h"
#include "tools/kept_games.h"

namespace {

using namespace tarvik;
using namespace tarvik::cli;

constexpr int kExitOk = 0;
constexpr int kExitNoFile = 1;
constexpr int kExitBadScript = 2;
constexpr int kExitUsage = 64;
constexpr int kExitInternal = 70;

const char kUsage[] =
    "Usage: tarvik-cli play QUEST [--script FILE] [--dump] [--seed N] [--set NAME=true|false]... [--mute]\n"
    "                             [--timeout SECONDS] [--net]\n"
    "                             [--transcript FILE] [--continue]\n"
    "       tarvik-cli encipher QUEST      write the ciphered quest (.qs1) beside QUEST\n"
    "       tarvik-cli compress QUEST      write the compressed quest (.qs3) beside QUEST\n"
    "       tarvik-cli decompress IN OUT   decode the compressed quest IN into OUT\n"
    "       tarvik-cli analyze QUEST       print the analyzer's report on QUEST\n"
    "       tarvik-cli check QUEST         report broken labels, missing files and cut lines in QUEST\n"
    "                                      (exit 0 clean, 1 errors, 2 warnings only)\n"
    "       tarvik-cli --help | --version\n"
    "\n"
    "Plays a Zot text quest (.qst, .qs1, .qs3). Without --script the game is played at the terminal.\n"
    "\n"
    "  --script FILE   play the actions in FILE (one per line) instead of asking the player\n"
    "  --dump          print the final state as one JSON object (without --script: after the first run "
    "stops)\n"
    "  --seed N        seed the random generator, so RND repeats\n"
    "  --set NAME=V    set a player option before the quest loads; NAME is Soobit, clk, Zvuk, Music,\n"
    "                  SvBlock or inv, V is true or false\n"
    "  --transcript FILE  write every page shown, button chosen, item used and line typed to FILE (UTF-8)\n"
    "  --continue      take up the game kept from the last play of QUEST in place of its opening, and keep\n"
    "                  this one after every action and when the play ends (in $XDG_STATE_HOME/tarvik)\n"
    "  --net           let \"include http://...\" fetch from the web; its questions are message boxes (in a\n"
    "                  script answered by its answer lines, else by their first button) and its progress\n"
    "                  goes to stderr. Without it every network include brings nothing and asks nothing\n"
    "  --timeout S     with --script or --dump: stop a run that takes longer than S seconds and exit with\n"
    "                  code 4 (\"the quest did not stop\")\n"
    "  --mute          play no music or sounds (runs with --script or --dump never do; their dump lists\n"
    "                  what would have played under \"audio\")\n"
    "\n"
    "MIDI music is played with the soundfont that TARVIK_SOUNDFONT names, else the largest General MIDI\n"
    "soundfont installed under /usr/share/sounds.\n";

struct Args {
    std::string quest;
    std::string script;
    bool hasScript = false;
    bool dump = false;
    bool mute = false;
    bool net = false;
    bool hasSeed = false;
    uint32_t seed = 0;
    std::vector<std::pair<std::string, bool>> sets;
    uint32_t timeoutSeconds = 0;  // 0: none
    std::string transcript;
    bool keep = false;
};

bool EqualsAscii(const std::string& a, const char* b) {
    size_t i = 0;
    for (; i < a.size() && b[i]; ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return i == a.size() && !b[i];
}

bool* OptionByName(Options& o, const std::string& name) {
    if (EqualsAscii(name, "Soobit")) return &o.Soobit;
    if (EqualsAscii(name, "clk")) return &o.clk;
    if (EqualsAscii(name, "Zvuk")) return &o.Zvuk;
    if (EqualsAscii(name, "Music")) return &o.Music;
    if (EqualsAscii(name, "SvBlock")) return &o.SvBlock;
    if (EqualsAscii(name, "inv")) return &o.inv;
    return nullptr;
}

int UsageError(const std::string& message) {
    std::cerr << "tarvik-cli: " << message << "\n\n" << kUsage;
    return kExitUsage;
}

// Returns -1 when the arguments are fine, else the exit code.
int ParseArgs(const std::vector<std::string>& argv, Args& args) {
    if (argv.empty()) return UsageError("nothing to do");
    if (argv[0] != "play") return UsageError("unknown command \"" + argv[0] + "\"");
    for (size_t i = 1; i < argv.size(); ++i) {
        const std::string& a = argv[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= argv.size()) return false;
            out = argv[++i];
            return true;
        };
        if (a == "--script") {
            if (!value(args.script)) return UsageError("--script needs a file");
            args.hasScript = true;
        } else if (a == "--dump") {
            args.dump = true;
        } else if (a == "--mute") {
            args.mute = true;
        } else if (a == "--net") {
            args.net = true;
        } else if (a == "--seed") {
            std::string s;
            if (!value(s)) return UsageError("--seed needs a number");
            auto res = std::from_chars(s.data(), s.data() + s.size(), args.seed);
            if (res.ec != std::errc() || res.ptr != s.data() + s.size())
                return UsageError("--seed needs a whole number from 0 to 4294967295, not \"" + s + "\"");
            args.hasSeed = true;
        } else if (a == "--timeout") {
            std::string s;
            if (!value(s)) return UsageError("--timeout needs a number of seconds");
            auto res = std::from_chars(s.data(), s.data() + s.size(), args.timeoutSeconds);
            if (res.ec != std::errc() || res.ptr != s.data() + s.size() || args.timeoutSeconds == 0)
                return UsageError("--timeout needs a whole number of seconds above 0, not \"" + s + "\"");
        } else if (a == "--set") {
            std::string s;
            if (!value(s)) return UsageError("--set needs NAME=true or NAME=false");
            size_t eq = s.find('=');
            std::string name = s.substr(0, eq), v = eq == std::string::npos ? "" : s.substr(eq + 1);
            Options probe;
            if (!OptionByName(probe, name))
                return UsageError("--set: unknown option \"" + name +
                                  "\" (Soobit, clk, Zvuk, Music, SvBlock, inv)");
            if (!EqualsAscii(v, "true") && !EqualsAscii(v, "false"))
                return UsageError("--set " + name + " needs =true or =false");
            args.sets.emplace_back(name, EqualsAscii(v, "true"));
        } else if (a == "--transcript") {
            if (!value(args.transcript) || args.transcript.empty())
                return UsageError("--transcript needs a file");
        } else if (a == "--continue") {
            args.keep = true;
        } else if (a == "--help" || a == "-h") {
            std::cout << kUsage;
            return kExitOk;
        } else if (!a.empty() && a[0] == '-' && a != "-") {
            return UsageError("unknown option \"" + a + "\"");
        } else if (args.quest.empty()) {
            args.quest = a;
        } else {
            return UsageError("more than one quest given (\"" + args.quest + "\", \"" + a + "\")");
        }
    }
    if (args.quest.empty()) return UsageError("no quest given");
    return -1;
}

// Network includes go out only when asked for with --net, and then as if the machine were online.
net::CurlClient& NetClient() {
    static net::CurlClient client([] {
        net::CurlSettings s;
        s.online = [] { return true; };
        return s;
    }());
    return client;
}

bool Prepare(Engine& engine, const Args& args) {
    for (const auto& [name, on] : args.sets) *OptionByName(engine.options(), name) = on;
    if (args.hasSeed) engine.Seed(args.seed);
    if (args.net) engine.SetHttpClient(&NetClient());
    if (!args.transcript.empty() && !engine.StartTranscript(args.transcript)) {
        std::cerr << "tarvik-cli: cannot write the transcript " << args.transcript << "\n";
        return false;
    }
    return true;
}

// A statement that never lets the host in cannot be stopped from inside: past the time limit and a grace
// period the process ends from a watchdog thread.
void StartWatchdog(uint32_t seconds) {
    std::thread([seconds] {
        std::this_thread::sleep_for(std::chrono::seconds(seconds) + std::chrono::seconds(5));
        std::cerr << "tarvik-cli: the quest did not stop\n";
        std::_Exit(kExitTimeout);
    }).detach();
}

// With --continue: the quest's game, kept each time it comes to rest and when the play ends.
class Keeping {
public:
    Keeping(Engine& engine, const Args& args) : m_Engine(engine), m_On(args.keep) {
        if (m_On) m_Keeper.SetQuest(args.quest);
    }
    // After every action of the player: a kill or a crash loses at most the action under way.
    void AtRest() {
        if (m_On && m_Engine.AtRest()) Keep(true);
    }
    void Leaving() {
        if (m_On) Keep(false);
    }

private:
    void Keep(bool background) {
        const std::string text = m_Engine.KeptGameText();
        if (background ? m_Keeper.KeepInBackground(text) : m_Keeper.Keep(text)) {
            m_Told = false;
        } else if (!m_Told) {
            m_Told = true;
            std::cerr << "tarvik-cli: cannot keep the game in " << tools::KeptGamePath(m_Keeper.quest())
                      << "\n";
        }
    }
    Engine& m_Engine;
    bool m_On;
    bool m_Told = false;
    tools::GameKeeper m_Keeper;
};

// Opens the quest and, with --continue, takes up its kept game in place of the quest's opening.
void Open(Engine& engine, const Args& args) {
    std::string kept;
    if (!args.keep || !tools::ReadKeptGame(args.quest, kept)) {
        engine.OpenQuest(args.quest);
    } else if (!engine.ContinueQuest(args.quest, kept) && !engine.Stopping()) {
        std::cerr << "tarvik-cli: the kept game in " << tools::KeptGamePath(args.quest)
                  << " is no saved game; the quest starts anew\n";
    }
}

void Leave(Engine& engine, Keeping& keeping) {
    keeping.Leaving();
    engine.StopTranscript();
}

int PlayScripted(const Args& args, std::vector<ScriptAction> actions) {
    ScriptHost host(std::move(actions));
    Engine engine(host);
    host.Attach(engine);
    if (!Prepare(engine, args)) return kExitNoFile;
    if (args.timeoutSeconds > 0) {
        host.SetDeadline(std::chrono::steady_clock::now() + std::chrono::seconds(args.timeoutSeconds));
        StartWatchdog(args.timeoutSeconds);
    }
    Keeping keeping(engine, args);
    host.SetAfterAction([&keeping] { keeping.AtRest(); });
    Open(engine, args);
    host.RunToEnd();
    Leave(engine, keeping);
    if (host.failed()) {
        std::cerr << "tarvik-cli: " << host.failure().message << "\n";
        return host.failure().exitCode;
    }
    if (args.dump)
        std::cout << DumpState(engine, host.messages(), host.inputs(), host.audio(), host.htmlPages())
                  << "\n";
    else
        PrintPage(engine, std::cout);
    return kExitOk;
}

int PlayInteractive(const Args& args) {
    // The device opens only when the quest first plays something.
    media::AudioPlayer audio;
    TerminalHost host(std::cin, std::cout, TerminalHost::ColourWanted(STDOUT_FILENO));
    if (!args.mute) host.SetAudio(&audio);
    Engine engine(host);
    host.Attach(engine);
    if (!Prepare(engine, args)) return kExitNoFile;
    TerminalHost::InstallInterruptHandler();
    host.Greet(std::filesystem::path(args.quest).filename().string());
    Keeping keeping(engine, args);
    host.SetAfterAction([&keeping] { keeping.AtRest(); });
    Open(engine, args);
    host.Play();
    Leave(engine, keeping);
    host.Farewell();
    return kExitOk;
}

int Run(const std::vector<std::string>& argv) {
    if (!argv.empty() && (argv[0] == "--help" || argv[0] == "-h" || argv[0] == "help")) {
        std::cout << kUsage;
        return kExitOk;
    }
    if (!argv.empty() && argv[0] == "--version") {
        std::cout << "tarvik-cli " << TARVIK_VERSION << "\n";
        return kExitOk;
    }
    if (int rc = RunToolCommand(argv, kUsage); rc >= 0) return rc;
    Args args;
    if (int rc = ParseArgs(argv, args); rc >= 0) return rc;

    std::error_code ec;
    auto status = std::filesystem::status(args.quest, ec);
    if (ec && ec != std::errc::no_such_file_or_directory) {
        std::cerr << "tarvik-cli: cannot open the quest " << args.quest << ": " << ec.message() << "\n";
        return kExitNoFile;
    }
    if (!std::filesystem::exists(status)) {
        std::cerr << "tarvik-cli: no such quest: " << args.quest << "\n";
        return kExitNoFile;
    }
    if (std::filesystem::is_directory(status)) {
        std::cerr << "tarvik-cli: " << args.quest << " is a folder, not a quest file\n";
        return kExitNoFile;
    }

    if (!args.hasScript && !args.dump) {
        if (args.timeoutSeconds > 0) return UsageError("--timeout needs --script or --dump");
        return PlayInteractive(args);
    }

    // --dump alone is a script with no actions: the state after the first run stops.
    std::vector<ScriptAction> actions;
    if (args.hasScript) {
        std::ifstream in(args.script, std::ios::binary);
        if (!std::filesystem::is_regular_file(args.script, ec) || !in) {
            std::cerr << "tarvik-cli: cannot read the script " << args.script << "\n";
            return kExitNoFile;
        }
        std::ostringstream all;
        all << in.rdbuf();
        ScriptError error;
        if (!ParseScript(all.str(), actions, error)) {
            std::cerr << "tarvik-cli: " << args.script << ": line " << error.line << ": " << error.message
                      << "\n";
            return kExitBadScript;
        }
    }
    return PlayScripted(args, std::move(actions));
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    try {
        return Run(args);
    } catch (const std::filesystem::filesystem_error& e) {
        // A path the program opens that the file system refuses is the user's file, named, not our fault.
        std::cerr << "tarvik-cli: cannot use " << e.path1().string() << ": " << e.code().message() << "\n";
        return kExitNoFile;
    } catch (const std::bad_alloc&) {
        std::cerr << "tarvik-cli: out of memory\n";
    } catch (const std::exception& e) {
        std::cerr << "tarvik-cli: internal error: " << e.what() << "\n";
    } catch (...) {
        std::cerr << "tarvik-cli: internal error\n";
    }
    return kExitInternal;
}
