// The Debian package: cpack builds it from this build's install rules; its files and declared dependencies
// are read back with dpkg-deb.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

namespace fs = std::filesystem;

std::string Quote(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

// Runs a shell command; its exit code and standard output.
int Shell(const std::string& command, std::string& out) {
    out.clear();
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return -1;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, pipe)) > 0) out.append(buf, n);
    int status = pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool Have(const std::string& program) {
    std::string out;
    std::string command = "command -v ";
    command += Quote(program);
    command += " 2>/dev/null";
    return Shell(command, out) == 0;
}

TEST(Package, HoldsThePlayerItsDesktopFilesAndDemoAndDeclaresItsDependencies) {
    if (!Have(TARVIK_CPACK) || !Have("dpkg-deb") || !Have("dpkg-shlibdeps"))
        GTEST_SKIP() << "cpack, dpkg-deb or dpkg-shlibdeps is not installed";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string out = dir.path().toStdString();
    std::string log;
    std::string cpack = "cd ";
    cpack += Quote(out);
    cpack += " && " + Quote(TARVIK_CPACK) + " -G DEB --config ";
    cpack += Quote(std::string(TARVIK_BINARY_DIR) + "/CPackConfig.cmake");
    cpack += " -B " + Quote(out) + " 2>&1";
    ASSERT_EQ(Shell(cpack, log), 0) << log;
    fs::path deb;
    for (const auto& e : fs::directory_iterator(out))
        if (e.path().extension() == ".deb") deb = e.path();
    ASSERT_FALSE(deb.empty()) << log;
    EXPECT_EQ(deb.filename().string().rfind("tarvik_", 0), 0u) << deb;

    std::string contents;
    ASSERT_EQ(Shell("dpkg-deb -c " + Quote(deb.string()), contents), 0);
    const std::string prefix = std::string("./") + (TARVIK_INSTALL_PREFIX + 1);  // listed as ./usr/...
    for (const char* file :
         {"/bin/tarvik", "/bin/tarvik-cli", "/share/applications/tarvik.desktop",
          "/share/mime/packages/tarvik.xml", "/share/icons/hicolor/scalable/apps/tarvik.svg",
          "/share/tarvik/quests/demo.qst", "/share/tarvik/quests/demo.qs3", "/share/tarvik/quests/theme.mid",
          "/share/tarvik/quests/chest.wav", "/share/tarvik/quests/pictures/forest.png",
          "/share/tarvik/quests/demo-html/oak.png", "/share/tarvik/help/index.html",
          "/share/locale/ru/LC_MESSAGES/tarvik-cli.mo"})
        EXPECT_NE(contents.find(prefix + file + "\n"), std::string::npos) << file << " in\n" << contents;
    // The programs are executable.
    EXPECT_NE(contents.find("-rwxr-xr-x root/root"), std::string::npos) << contents;

    std::string field;
    ASSERT_EQ(Shell("dpkg-deb -f " + Quote(deb.string()) + " Package Depends", field), 0);
    EXPECT_NE(field.find("Package: tarvik\n"), std::string::npos) << field;
    // The soundfont by name, and the libraries the programs link, found by dpkg-shlibdeps.
    for (const char* dependency :
         {"timgm6mb-soundfont | sf3-soundfont-gm | sf2-soundfont-gm", "libqt6widgets6", "libqt6gui6", "libc6",
          "libstdc++6", "libsdl2-mixer-2.0-0", "libcurl4"})
        EXPECT_NE(field.find(dependency), std::string::npos) << dependency << " in\n" << field;
}

}  // namespace
