// tarvik-cli: plays a quest in the terminal, or runs it from a script and dumps the resulting state as JSON.
//
// Exit codes: 0 the play or the script ran to its end; 1 the quest, the script file or a saved game to load
// does not exist or cannot be read; 2 a script line is not an action; 3 a script action is not supported by
// this build; 4 the quest did not stop within --timeout; 64 bad command line; 70 an internal error.
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include "cli/author_cmd.h"
#include "cli/dump.h"
#include "cli/messages.h"
#include "cli/script.h"
#include "cli/script_host.h"
#include "cli/terminal_host.h"
#include "cli/test_cmd.h"
#include "cli/tools_cmd.h"
#include "engine/engine.h"
#include "files/kept_games.h"
#include "media/audio.h"
#include "net/curl_client.h"

namespace {

using namespace tarvik;
using namespace tarvik::cli;

constexpr int kExitOk = 0;
constexpr int kExitNoFile = 1;
constexpr int kExitBadScript = 2;
constexpr int kExitUsage = 64;
constexpr int kExitInternal = 70;

// The help of the whole program, in the player's language. Each command and option is a message of its own,
// so that a new one adds one translation instead of changing them all.
const char* Usage() {
    static const std::string text = [] {
        std::string t;
        for (const char* piece :
             {_("Usage: tarvik-cli play QUEST [--script FILE] [--dump] [--seed N] [--set NAME=true|false]... "
                "[--mute]\n"
                "                             [--timeout SECONDS] [--net]\n"
                "                             [--transcript FILE] [--continue] [--warnings]\n"
                "                             [--dialect auto|on|off]\n"),
              _("       tarvik-cli encipher QUEST      write the ciphered quest (.qs1) beside QUEST\n"),
              _("       tarvik-cli compress QUEST      write the compressed quest (.qs3) beside QUEST\n"),
              _("       tarvik-cli decompress IN OUT   decode the compressed quest IN into OUT\n"),
              _("       tarvik-cli analyze QUEST       print the analyzer's report on QUEST\n"),
              _("       tarvik-cli check QUEST         report broken labels, missing files and cut lines in "
                "QUEST\n"
                "                                      (exit 0 clean, 1 errors, 2 warnings only)\n"),
              _("       tarvik-cli test QUEST SCRIPT... [--bless] [--seed N] [--timeout S]\n"
                "                                      play each script and compare its transcript with\n"
                "                                      SCRIPT.expected (exit 0 all match, 1 a difference, "
                "shown as\n"
                "                                      a unified diff); --bless writes the expected files\n"),
              _("       tarvik-cli explore QUEST [--json] [--max-states N] [--input TEXT]... [--seed N]\n"
                "                                      play every path of QUEST breadth-first; report "
                "unreached\n"
                "                                      labels, dead ends, run-time errors and endings, each "
                "with the\n"
                "                                      --script actions that lead there (exit 0 nothing "
                "found, 1\n"
                "                                      something found, 2 cut by --max-states, default "
                "100000)\n"),
              _("       tarvik-cli map QUEST [-o FILE] [--format dot|svg] [--explore]\n"
                "                                      draw the labels with their buttons, jumps and calls: "
                "DOT to\n"
                "                                      stdout, SVG to FILE; --explore colours unreached "
                "labels, dead\n"
                "                                      ends and errors\n"),
              _("       tarvik-cli --help | --version\n"),
              "\n",
              _("Plays a Zot text quest (.qst, .qs1, .qs3). Without --script the game is played at the "
                "terminal.\n"),
              "\n",
              _("  --script FILE   play the actions in FILE (one per line) instead of asking the player; - "
                "reads them\n"
                "                  from standard input\n"),
              _("  --dump          print the final state as one JSON object (without --script: after the "
                "first run stops)\n"),
              _("  --seed N        seed the random generator, so RND repeats\n"),
              _("  --set NAME=V    set a player option before the quest loads; NAME is Soobit, clk, Zvuk, "
                "Music,\n"
                "                  SvBlock or inv, V is true or false\n"),
              _("  --transcript FILE  write every page shown, button chosen, item used and line typed to "
                "FILE (UTF-8)\n"),
              _("  --continue      take up the game kept from the last play of QUEST in place of its "
                "opening, and keep\n"
                "                  this one after every action and when the play ends (in "
                "$XDG_STATE_HOME/tarvik)\n"),
              _("  --net           let \"include http://...\" fetch from the web; its questions are message "
                "boxes (in a\n"
                "                  script answered by its answer lines, else by their first button) and its "
                "progress\n"
                "                  goes to stderr. Without it every network include brings nothing and asks "
                "nothing\n"),
              _("  --timeout S     with --script or --dump: stop a run that takes longer than S seconds and "
                "exit with\n"
                "                  code 4 (\"the quest did not stop\")\n"),
              _("  --warnings      print the run-time errors the quest meets (a jump to a missing label, "
                "an\n"
                "                  expression error, a missing file...) to stderr, with their quest lines\n"),
              _("  --dialect M     play in the family's later dialect by the quest's markers (auto, the "
                "default),\n"
                "                  always (on) or never (off)\n"),
              _("  --mute          play no music or sounds (runs with --script or --dump never do; their "
                "dump lists\n"
                "                  what would have played under \"audio\")\n"),
              "\n",
              _("MIDI music is played with the soundfont that TARVIK_SOUNDFONT names, else the largest "
                "General MIDI\n"
                "soundfont installed under /usr/share/sounds.\n")})
            t += piece;
        return t;
    }();
    return text.c_str();
}

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
    bool warnings = false;
    DialectSwitch dialect = DialectSwitch::Auto;
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

int UsageError(const std::string& message) {
    std::cerr << "tarvik-cli: " << message << "\n\n" << Usage();
    return kExitUsage;
}

// Returns -1 when the arguments are fine, else the exit code.
int ParseArgs(const std::vector<std::string>& argv, Args& args) {
    if (argv.empty()) return UsageError(_("nothing to do"));
    if (argv[0] != "play") return UsageError(Format(_("unknown command \"%s\""), argv[0]));
    for (size_t i = 1; i < argv.size(); ++i) {
        const std::string& a = argv[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= argv.size()) return false;
            out = argv[++i];
            return true;
        };
        if (a == "--script") {
            if (!value(args.script)) return UsageError(_("--script needs a file, or - for standard input"));
            args.hasScript = true;
        } else if (a == "--dump") {
            args.dump = true;
        } else if (a == "--mute") {
            args.mute = true;
        } else if (a == "--net") {
            args.net = true;
        } else if (a == "--seed") {
            std::string s;
            if (!value(s)) return UsageError(_("--seed needs a number"));
            auto res = std::from_chars(s.data(), s.data() + s.size(), args.seed);
            if (res.ec != std::errc() || res.ptr != s.data() + s.size())
                return UsageError(
                    Format(_("--seed needs a whole number from 0 to 4294967295, not \"%s\""), s));
            args.hasSeed = true;
        } else if (a == "--timeout") {
            std::string s;
            if (!value(s)) return UsageError(_("--timeout needs a number of seconds"));
            auto res = std::from_chars(s.data(), s.data() + s.size(), args.timeoutSeconds);
            if (res.ec != std::errc() || res.ptr != s.data() + s.size() || args.timeoutSeconds == 0)
                return UsageError(
                    Format(_("--timeout needs a whole number of seconds above 0, not \"%s\""), s));
        } else if (a == "--set") {
            std::string s;
            if (!value(s)) return UsageError(_("--set needs NAME=true or NAME=false"));
            size_t eq = s.find('=');
            std::string name = s.substr(0, eq), v = eq == std::string::npos ? "" : s.substr(eq + 1);
            if (!Options().Named(name))
                return UsageError(
                    Format(_("--set: unknown option \"%s\" (Soobit, clk, Zvuk, Music, SvBlock, inv)"), name));
            if (!EqualsAscii(v, "true") && !EqualsAscii(v, "false"))
                return UsageError(Format(_("--set %s needs =true or =false"), name));
            args.sets.emplace_back(name, EqualsAscii(v, "true"));
        } else if (a == "--transcript") {
            if (!value(args.transcript) || args.transcript.empty())
                return UsageError(_("--transcript needs a file"));
        } else if (a == "--continue") {
            args.keep = true;
        } else if (a == "--warnings") {
            args.warnings = true;
        } else if (a == "--dialect") {
            std::string s;
            if (!value(s)) return UsageError(_("--dialect needs auto, on or off"));
            if (EqualsAscii(s, "auto"))
                args.dialect = DialectSwitch::Auto;
            else if (EqualsAscii(s, "on"))
                args.dialect = DialectSwitch::On;
            else if (EqualsAscii(s, "off"))
                args.dialect = DialectSwitch::Off;
            else
                return UsageError(Format(_("--dialect needs auto, on or off, not \"%s\""), s));
        } else if (a == "--help" || a == "-h") {
            std::cout << Usage();
            return kExitOk;
        } else if (!a.empty() && a[0] == '-' && a != "-") {
            return UsageError(Format(_("unknown option \"%s\""), a));
        } else if (args.quest.empty()) {
            args.quest = a;
        } else {
            return UsageError(Format(_("more than one quest given (\"%s\", \"%s\")"), args.quest, a));
        }
    }
    if (args.quest.empty()) return UsageError(_("no quest given"));
    return -1;
}

// Reads the script from a file, a pipe or a device, or from standard input for "-". The size limit holds
// while reading, so an endless stream is refused without being read whole. Returns the problem, or "".
std::string ReadScript(const std::string& name, std::string& out) {
    const bool fromStdin = name == "-";
    int fd = fromStdin ? STDIN_FILENO : ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return Format(_("cannot read the script %s: %s"), name, std::strerror(errno));
    std::string problem;
    char chunk[1 << 16];
    for (;;) {
        ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            problem = Format(_("cannot read the script %s: %s"), name, std::strerror(errno));
            break;
        }
        if (n == 0) break;
        if (out.size() + static_cast<size_t>(n) > kMaxScriptBytes) {
            problem = Format(_("the script %s is larger than %d MB"), name,
                             static_cast<int>(kMaxScriptBytes >> 20));
            break;
        }
        out.append(chunk, static_cast<size_t>(n));
    }
    if (!fromStdin) ::close(fd);
    return problem;
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
    for (const auto& [name, on] : args.sets) *engine.options().Named(name) = on;
    if (args.hasSeed) engine.Seed(args.seed);
    engine.SetDialectSwitch(args.dialect);
    if (args.net) engine.SetHttpClient(&NetClient());
    if (!args.transcript.empty() && !engine.StartTranscript(args.transcript)) {
        std::cerr << "tarvik-cli: " << Format(_("cannot write the transcript %s"), args.transcript) << "\n";
        return false;
    }
    return true;
}

// A statement that never lets the host in cannot be stopped from inside: past the time limit and a grace
// period the process ends from a watchdog thread.
void StartWatchdog(uint32_t seconds) {
    std::thread([seconds] {
        std::this_thread::sleep_for(std::chrono::seconds(seconds) + std::chrono::seconds(5));
        std::cerr << "tarvik-cli: " << _("the quest did not stop") << "\n";
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
            std::cerr << "tarvik-cli: "
                      << Format(_("cannot keep the game in %s"), files::KeptGamePath(m_Keeper.quest()))
                      << "\n";
        }
    }
    Engine& m_Engine;
    bool m_On;
    bool m_Told = false;
    files::GameKeeper m_Keeper;
};

// Opens the quest and, with --continue, takes up its kept game in place of the quest's opening.
void Open(Engine& engine, const Args& args) {
    std::string kept;
    if (!args.keep || !files::ReadKeptGame(args.quest, kept)) {
        engine.OpenQuest(args.quest);
    } else if (!engine.ContinueQuest(args.quest, kept) && !engine.Stopping()) {
        std::cerr << "tarvik-cli: "
                  << Format(_("the kept game in %s is no saved game; the quest starts anew"),
                            files::KeptGamePath(args.quest))
                  << "\n";
    }
}

void Leave(Engine& engine, Keeping& keeping) {
    keeping.Leaving();
    engine.StopTranscript();
}

int PlayScripted(const Args& args, std::vector<ScriptAction> actions) {
    ScriptHost host(std::move(actions));
    host.ShowWarnings(args.warnings);
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
    host.ShowWarnings(args.warnings);
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
        std::cout << Usage();
        return kExitOk;
    }
    if (!argv.empty() && argv[0] == "--version") {
        std::cout << "tarvik-cli " << TARVIK_VERSION << "\n";
        return kExitOk;
    }
    if (int rc = RunToolCommand(argv, Usage()); rc >= 0) return rc;
    if (int rc = RunTestCommand(argv, Usage()); rc >= 0) return rc;
    if (int rc = RunAuthorCommand(argv, Usage()); rc >= 0) return rc;
    Args args;
    if (int rc = ParseArgs(argv, args); rc >= 0) return rc;

    std::error_code ec;
    auto status = std::filesystem::status(args.quest, ec);
    if (ec && ec != std::errc::no_such_file_or_directory) {
        std::cerr << "tarvik-cli: " << Format(_("cannot open the quest %s: %s"), args.quest, ec.message())
                  << "\n";
        return kExitNoFile;
    }
    if (!std::filesystem::exists(status)) {
        std::cerr << "tarvik-cli: " << Format(_("no such quest: %s"), args.quest) << "\n";
        return kExitNoFile;
    }
    if (std::filesystem::is_directory(status)) {
        std::cerr << "tarvik-cli: " << Format(_("%s is a folder, not a quest file"), args.quest) << "\n";
        return kExitNoFile;
    }

    if (!args.hasScript && !args.dump) {
        if (args.timeoutSeconds > 0) return UsageError(_("--timeout needs --script or --dump"));
        return PlayInteractive(args);
    }

    // --dump alone is a script with no actions: the state after the first run stops.
    std::vector<ScriptAction> actions;
    if (args.hasScript) {
        std::string script;
        std::string problem = ReadScript(args.script, script);
        if (!problem.empty()) {
            std::cerr << "tarvik-cli: " << problem << "\n";
            return kExitNoFile;
        }
        ScriptError error;
        if (!ParseScript(script, actions, error)) {
            std::cerr << "tarvik-cli: "
                      << Format(_("%s: line %d: %s"), args.script, error.line, error.message) << "\n";
            return kExitBadScript;
        }
    }
    return PlayScripted(args, std::move(actions));
}

}  // namespace

int main(int argc, char** argv) {
    SetUpMessages();
    std::vector<std::string> args(argv + 1, argv + argc);
    try {
        return Run(args);
    } catch (const std::filesystem::filesystem_error& e) {
        // A path the program opens that the file system refuses is the user's file, named, not our fault.
        std::cerr << "tarvik-cli: " << Format(_("cannot use %s: %s"), e.path1().string(), e.code().message())
                  << "\n";
        return kExitNoFile;
    } catch (const std::bad_alloc&) {
        std::cerr << "tarvik-cli: " << _("out of memory") << "\n";
    } catch (const std::exception& e) {
        std::cerr << "tarvik-cli: " << Format(_("internal error: %s"), e.what()) << "\n";
    } catch (...) {
        std::cerr << "tarvik-cli: " << _("internal error") << "\n";
    }
    return kExitInternal;
}
