// The Debian package, built as scripts/package.sh builds it: its files, lintian's verdict, and the manual
// pages against what the programs' --help prints.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::string Quote(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

// Runs a shell command; its exit code, and its standard output (standard error too when `withErrors`).
int Shell(const std::string& command, std::string& out, bool withErrors = true) {
    out.clear();
    FILE* pipe = popen((command + (withErrors ? " 2>&1" : "")).c_str(), "r");
    if (!pipe) return -1;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, pipe)) > 0) out.append(buf, n);
    int status = pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool Have(const char* program) {
    std::string out;
    return Shell(std::string("command -v ") + program, out) == 0;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// The second group of every match of `pattern` in `text`.
std::set<std::string> Matches(const std::string& text, const std::regex& pattern) {
    std::set<std::string> found;
    for (std::sregex_iterator it(text.begin(), text.end(), pattern), end; it != end; ++it)
        found.insert((*it)[2].str());
    return found;
}

// Every option a text names: a word that starts with one or two hyphens and a letter, not inside another
// word.
std::set<std::string> Options(const std::string& text) {
    return Matches(text, std::regex(R"((^|[^A-Za-z0-9_\-])(--?[A-Za-z][A-Za-z0-9\-]*))"));
}

// Files the package must hold. Others may come only where the players keep growing data: more help pages and
// demo files, message catalogues, documentation.
const char* const kFiles[] = {
    "usr/bin/tarvik",
    "usr/bin/tarvik-cli",
    "usr/share/applications/tarvik.desktop",
    "usr/share/icons/hicolor/scalable/apps/tarvik.svg",
    "usr/share/mime/packages/tarvik.xml",
    "usr/share/metainfo/io.github.tarvik.Tarvik.metainfo.xml",
    "usr/share/man/man1/tarvik.1.gz",
    "usr/share/man/man1/tarvik-cli.1.gz",
    "usr/share/doc/tarvik/copyright",
    "usr/share/doc/tarvik/changelog.gz",
    "usr/share/tarvik/help/index.html",
    "usr/share/tarvik/help/help.css",
    "usr/share/tarvik/quests/demo.qst",
    "usr/share/tarvik/quests/demo.qs1",
    "usr/share/tarvik/quests/demo.qs3",
    "usr/share/tarvik/quests/theme.mid",
    "usr/share/tarvik/quests/forest.mid",
    "usr/share/tarvik/quests/chest.wav",
    "usr/share/tarvik/quests/pictures/forest.png",
    "usr/share/tarvik/quests/demo-html/oak.png",
    "usr/share/locale/ru/LC_MESSAGES/tarvik-cli.mo",
};
const std::regex kMayGrow(
    R"(usr/share/(tarvik/(help|quests)/.+|locale/[^/]+/LC_MESSAGES/tarvik[^/]*\.mo|doc/tarvik/.+))");

class Package : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_Out = fs::path(TARVIK_BINARY_DIR) / "package";
        fs::remove_all(s_Out / "dist");
        // package.sh's own work folder: the same paths as a run by hand, so ccache finds the objects again.
        const std::string build =
            "bash " + Quote(TARVIK_SOURCE_DIR "/scripts/package.sh") + " " + Quote((s_Out / "dist").string());
        if (Shell(build, s_Log) != 0) return;
        for (const auto& e : fs::directory_iterator(s_Out / "dist"))
            if (e.path().extension() == ".deb") s_Deb = e.path();
        std::string out;
        fs::remove_all(s_Out / "root");
        if (Shell("dpkg-deb -x " + Quote(s_Deb.string()) + " " + Quote((s_Out / "root").string()), out) != 0)
            s_Deb.clear();
    }
    void SetUp() override {
        // The end of the build's output says why it failed.
        if (s_Deb.empty())
            FAIL() << "scripts/package.sh made no package:\n"
                   << s_Log.substr(s_Log.size() - std::min<size_t>(s_Log.size(), 6000));
    }
    static fs::path Root() { return s_Out / "root"; }
    static std::string Deb() { return Quote(s_Deb.string()); }

    static inline fs::path s_Out, s_Deb;
    static inline std::string s_Log;
};

TEST_F(Package, HoldsItsFilesUnderUsrAndDeclaresItsDependencies) {
    std::string listing;
    ASSERT_EQ(Shell("dpkg-deb -c " + Deb(), listing, false), 0);
    std::set<std::string> files;
    for (const std::string& line : Lines(listing)) {
        const size_t at = line.find(" ./");
        ASSERT_NE(at, std::string::npos) << line;
        EXPECT_NE(line.find(" root/root "), std::string::npos) << line;
        if (line[0] == 'd') continue;
        files.insert(line.substr(at + 3));
        if (line.find("usr/bin/") != std::string::npos) {
            EXPECT_EQ(line.rfind("-rwxr-xr-x", 0), 0u) << line;
        }
    }
    for (const char* file : kFiles) EXPECT_EQ(files.count(file), 1u) << file << " is not in the package";
    for (const std::string& file : files) {
        bool listed = false;
        for (const char* f : kFiles) listed = listed || file == f;
        EXPECT_TRUE(listed || std::regex_match(file, kMayGrow)) << file << " is in the package unlisted";
    }

    // Found relative to the program: no install prefix, and no build folder, compiled into the programs.
    for (const char* program : {"tarvik", "tarvik-cli"}) {
        std::string strings;
        ASSERT_EQ(Shell("strings -a " + Quote((Root() / "usr/bin" / program).string()), strings, false), 0);
        EXPECT_EQ(strings.find("/usr/share/tarvik"), std::string::npos) << program;
        EXPECT_EQ(strings.find("/usr/local"), std::string::npos) << program;
        EXPECT_EQ(strings.find(TARVIK_SOURCE_DIR), std::string::npos) << program;
    }

    std::string fields;
    ASSERT_EQ(Shell("dpkg-deb -f " + Deb() + " Package Depends", fields, false), 0);
    EXPECT_NE(fields.find("Package: tarvik\n"), std::string::npos) << fields;
    for (const char* dependency :
         {"timgm6mb-soundfont | sf3-soundfont-gm | sf2-soundfont-gm", "libqt6widgets6", "libqt6gui6", "libc6",
          "libstdc++6", "libsdl2-mixer-2.0-0", "libcurl4", "qt6-qpa-plugins"})
        EXPECT_NE(fields.find(dependency), std::string::npos) << dependency << " in\n" << fields;

    if (Have("appstreamcli")) {
        std::string report;
        EXPECT_EQ(
            Shell("appstreamcli validate --no-net " +
                      Quote((Root() / "usr/share/metainfo/io.github.tarvik.Tarvik.metainfo.xml").string()),
                  report),
            0)
            << report;
    }
}

TEST_F(Package, LintianFindsNoErrorOrWarning) {
    if (!Have("lintian")) GTEST_SKIP() << "lintian is not installed";
    std::string report;
    EXPECT_EQ(Shell("lintian --fail-on error,warning " + Deb(), report), 0) << report;
    // Every override says why, and there are few.
    std::string overrides;
    Shell("grep -cv '^#\\|^$' " + Quote(TARVIK_SOURCE_DIR "/debian/tarvik.lintian-overrides"), overrides,
          false);
    EXPECT_LE(std::atoi(overrides.c_str()), 5) << overrides;
}

// Every option that --help prints (of the program and of each subcommand) is in the manual page, every
// subcommand too, and the page names no option that --help does not.
TEST_F(Package, ManualPagesMatchHelp) {
    for (const std::string program : {"tarvik", "tarvik-cli"}) {
        SCOPED_TRACE(program);
        const std::string exe = Quote((Root() / "usr/bin" / program).string());
        const std::string page = Quote((Root() / "usr/share/man/man1" / (program + ".1.gz")).string());
        std::string warnings;
        ASSERT_EQ(Shell("LC_ALL=C.UTF-8 man --warnings -l " + page + " 2>&1 >/dev/null", warnings, false), 0);
        EXPECT_EQ(warnings, "");
        // Wide enough that no option is broken over two lines; bold and underlining (a character and a
        // backspace before the one shown) dropped.
        std::string rendered, text;
        ASSERT_EQ(Shell("LC_ALL=C.UTF-8 MANWIDTH=1000 man -E ascii -l " + page, rendered, false), 0);
        for (size_t i = 0; i < rendered.size(); ++i) {
            if (i + 1 < rendered.size() && rendered[i + 1] == '\b')
                ++i;
            else
                text += rendered[i];
        }
        ASSERT_NE(text.find(program), std::string::npos) << text;

        std::string help;
        ASSERT_EQ(Shell(exe + " --help", help, false), 0);
        // The subcommands the usage shows, as in "tarvik-cli play QUEST".
        const std::set<std::string> subcommands =
            Matches(help, std::regex("(^|\\s)" + program + " ([a-z][a-z-]*)"));
        std::set<std::string> options = Options(help);
        for (const std::string& sub : subcommands) {
            // Named with the program, or opening a line of the page's list of commands.
            const std::regex named("(^|\\n) *" + sub + "\\b|" + program + " " + sub + "\\b");
            EXPECT_TRUE(std::regex_search(text, named)) << "subcommand " << sub;
            std::string subHelp;
            if (Shell(exe + " " + sub + " --help", subHelp, false) == 0) options.merge(Options(subHelp));
        }
        const std::set<std::string> inPage = Options(text);
        for (const std::string& option : options) EXPECT_EQ(inPage.count(option), 1u) << option;
        for (const std::string& option : inPage) EXPECT_EQ(options.count(option), 1u) << option;
    }
}

}  // namespace
