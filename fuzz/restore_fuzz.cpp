// Arbitrary bytes as a saved game, restored into a small quest that has labels, buttons and items to reach.
// A saved game comes from anyone: whatever it holds must neither crash the player nor run without end.
#include <unistd.h>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "engine/engine.h"

namespace {

namespace fs = std::filesystem;

// ProcessEvents calls (assignments, every 64 run-loop cycles, long chains) before the game is ended.
constexpr int kMaxProcessEvents = 500;
constexpr int kMaxWaits = 20;

class RestoreHost : public tarvik::Host {
public:
    void ProcessEvents() override {
        if (++m_Events > kMaxProcessEvents) engine->RequestStop();
    }
    void Wait(tarvik::WaitReason, int) override {
        if (++m_Waits > kMaxWaits) engine->RequestStop();
    }
    int MessageBox(const std::string&, const std::string&, int) override { return tarvik::kAnswerOk; }
    tarvik::DialogResult InputBox(const std::string&, const std::string&) override { return {}; }
    tarvik::DialogResult SaveFileDialog(const std::string&, const std::string&) override { return {}; }
    tarvik::DialogResult OpenFileDialog(const std::string&, const std::string&, const std::string&) override {
        return {};
    }
    double SecondsSinceMidnight() override { return 45296.25; }

    tarvik::Engine* engine = nullptr;

private:
    int m_Events = 0;
    int m_Waits = 0;
};

class QuestFile {
public:
    QuestFile() {
        dir = fs::temp_directory_path() / ("tarvik-restore-fuzz-" + std::to_string(getpid()));
        fs::create_directories(dir);
        quest = dir / "quest.qst";
        std::ofstream(quest, std::ios::binary)
            << ":start\r\npln hello\r\nbtn room,Go\r\ninv+ key\r\nend\r\n"
               ":room\r\nx=x+1\r\npln room #x$\r\nbtn start,Back\r\nend\r\n"
               ":lend\r\npln restored\r\nend\r\n";
    }
    ~QuestFile() {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    fs::path dir, quest;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static QuestFile file;
    RestoreHost host;
    tarvik::Engine engine(host);
    host.engine = &engine;
    engine.Seed(1);
    engine.OpenQuest(file.quest.string());
    engine.RestoreGameText(std::string(reinterpret_cast<const char*>(data), size));
    // The restored game must be playable on: choose its first button.
    if (!engine.Stopping() && !engine.buttons().empty()) {
        engine.ChooseButton(0);
    }
    engine.RequestStop();
    return 0;
}
