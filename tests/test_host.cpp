#include "test_host.h"

#include <sys/wait.h>
#include <unistd.h>
#include <atomic>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "text/text.h"

namespace tarvik::testing {

std::string W(const std::string& utf8) {
    return text::Utf8ToCp1251(utf8);
}
std::string U(const std::string& cp1251) {
    return text::Cp1251ToUtf8(cp1251);
}

void TestHost::Wait(WaitReason why, int) {
    waits.push_back(why);
    if (why == WaitReason::Pause) return;
    if (waitEvents.empty()) {
        engine->RequestStop();
        return;
    }
    auto ev = std::move(waitEvents.front());
    waitEvents.pop_front();
    ev(*engine);
}

int TestHost::MessageBox(const std::string& text, const std::string& title, int style) {
    boxes.push_back({text, title, style});
    if (answers.empty()) return kAnswerOk;
    int a = answers.front();
    answers.pop_front();
    return a;
}

DialogResult TestHost::InputBox(const std::string& prompt, const std::string& title) {
    inputs.emplace_back(prompt, title);
    if (inputAnswers.empty()) return {};
    auto a = inputAnswers.front();
    inputAnswers.pop_front();
    return a;
}

DialogResult TestHost::SaveFileDialog(const std::string&, const std::string&) {
    if (saveAnswers.empty()) return {};
    auto a = saveAnswers.front();
    saveAnswers.pop_front();
    return a;
}

DialogResult TestHost::OpenFileDialog(const std::string& title, const std::string&,
                                      const std::string& folder) {
    openDialogs.push_back({title, folder});
    if (openAnswers.empty()) return {};
    auto a = openAnswers.front();
    openAnswers.pop_front();
    return a;
}

namespace {
const char* SpotName(PictureSpot spot) {
    switch (spot) {
        case PictureSpot::Slot:
            return "slot";
        case PictureSpot::Background:
            return "background";
        case PictureSpot::Main:
            return "main";
        case PictureSpot::Overlay:
            return "overlay";
    }
    return "?";
}
}  // namespace

bool TestHost::SetPicture(PictureSpot spot, int index, const std::string& path) {
    std::string name = std::filesystem::path(path).filename().string();
    for (const std::string& bad : undecodable)
        if (bad == name) {
            look.push_back(std::string("refused ") + SpotName(spot) + " " + std::to_string(index) + " " +
                           name);
            return false;
        }
    look.push_back(std::string("load ") + SpotName(spot) + " " + std::to_string(index) + " " +
                   (path.empty() ? "-" : path));
    return true;
}

void TestHost::PlacePicture(PictureSpot spot, int index, int top, int left, bool visible) {
    look.push_back(std::string("place ") + SpotName(spot) + " " + std::to_string(index) + " " +
                   std::to_string(top) + " " + std::to_string(left) + (visible ? " shown" : " hidden"));
}

void TestHost::ShowPictureWindow(bool visible, const std::string& caption, bool) {
    look.push_back(std::string("window ") + (visible ? "shown " : "hidden ") + U(caption));
}

void TestHost::SetFormSize(int heightTwips, int widthTwips) {
    look.push_back("size " + std::to_string(heightTwips) + " " + std::to_string(widthTwips));
}

void TestHost::SetControlColours(bool hasFore, int32_t fore, bool hasBack, int32_t back) {
    look.push_back("colours " + (hasFore ? std::to_string(fore) : std::string("-")) + " " +
                   (hasBack ? std::to_string(back) : std::string("-")));
}

namespace {
std::string ToQuestBytes(const std::string& utf8) {
    std::string crlf;
    for (char c : utf8) {
        if (c == '\n') crlf += '\r';
        crlf += c;
    }
    return text::Utf8ToCp1251(crlf);
}
}  // namespace

QuestFixture::QuestFixture() {
    static std::atomic<int> counter{0};
    dir = std::filesystem::temp_directory_path() /
          ("tarvik-test-" + std::to_string(getpid()) + "-" + std::to_string(counter++));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    engine = std::make_unique<Engine>(host);
    host.engine = engine.get();
}

QuestFixture::~QuestFixture() {
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
}

std::filesystem::path QuestFixture::WriteBytes(const std::string& name, const std::string& bytes) {
    auto p = dir / name;
    std::filesystem::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << bytes;
    return p;
}

std::filesystem::path QuestFixture::WriteFile(const std::string& name, const std::string& utf8Text) {
    return WriteBytes(name, ToQuestBytes(utf8Text));
}

Engine& QuestFixture::Run(const std::string& utf8Quest, uint32_t seed) {
    auto p = WriteFile("quest.qst", utf8Quest);
    engine->Seed(seed);
    engine->OpenQuest(p.string());
    return *engine;
}

std::string QuestFixture::Text() const {
    return U(engine->ScreenText());
}

std::string QuestFixture::Var(const std::string& utf8Name) const {
    const Value* v = engine->FindVariable(W(utf8Name));
    return v ? U(v->ToText()) : "<unset>";
}

std::vector<std::string> QuestFixture::Buttons() const {
    std::vector<std::string> r;
    for (auto& b : engine->buttons()) r.push_back(U(b));
    return r;
}

std::vector<std::string> QuestFixture::Items() const {
    std::vector<std::string> r;
    for (int i = 0; i <= engine->invLast(); ++i) r.push_back(U(engine->inventory()[i].text));
    return r;
}

std::string Slurp(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream all;
    all << in.rdbuf();
    return all.str();
}

namespace {
std::string ShellQuote(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}
}  // namespace

CliResult RunCli(const std::vector<std::string>& args, const std::filesystem::path& scratch,
                 const std::string& feed, const std::string& env) {
    std::string cmd = feed.empty() ? "" : feed + " | ";
    cmd += "LC_ALL=C.UTF-8 LANGUAGE= " + env + " " + ShellQuote(TARVIK_CLI_PATH);
    for (const auto& a : args) cmd.append(" ").append(ShellQuote(a));
    auto out = scratch / "cli-stdout.txt", err = scratch / "cli-stderr.txt";
    cmd.append(feed.empty() ? " </dev/null >" : " >")
        .append(ShellQuote(out.string()))
        .append(" 2>")
        .append(ShellQuote(err.string()));
    int status = std::system(cmd.c_str());
    CliResult r;
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = Slurp(out);
    r.err = Slurp(err);
    return r;
}

}  // namespace tarvik::testing
