// Ciphered (.qs1) and compressed (.qs3) quests through the loader, and the tool subcommands of tarvik-cli,
// including empty, one-byte, truncated and corrupt files.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "formats/cipher.h"
#include "formats/huffman.h"
#include "test_host.h"

namespace tarvik::testing {
namespace {

namespace fs = std::filesystem;

const fs::path kQuests = fs::path(TARVIK_SOURCE_DIR) / "quests";

std::string Compressed(const std::string& bytes) {
    std::string s = bytes;
    formats::clsHuffman().EncodeString(s);
    return s;
}

struct Store {
    std::vector<std::string> lines;
    std::string labels;
};

class QuestFilesLoad : public ::testing::Test, public QuestFixture {
protected:
    Store Load(const fs::path& p) {
        host.boxes.clear();
        engine->OpenQuest(p.string());
        return {ProgramLines(*engine), engine->labelList()};
    }
    // The load failed as a .qs3 failure must: one message, then a program of empty lines.
    void ExpectFailedQs3(const fs::path& p) {
        Store s = Load(p);
        ASSERT_FALSE(host.boxes.empty()) << p;
        EXPECT_EQ(U(host.boxes[0].text), "Во время выполнения произошла ошибка!");
        EXPECT_EQ(host.boxes[0].title, "");
        EXPECT_EQ(host.boxes[0].style, 0);
        EXPECT_EQ(host.boxes.size(), 1u);
        for (const auto& line : s.lines) EXPECT_EQ(line, "") << p;
        EXPECT_EQ(s.labels, "");
    }
    static std::vector<std::string> WithoutTrailingEmpty(std::vector<std::string> v) {
        while (!v.empty() && v.back().empty()) v.pop_back();
        return v;
    }
};

TEST_F(QuestFilesLoad, DemoLoadsTheSameFromAllThreeForms) {
    Store plain = Load(kQuests / "demo.qst");
    ASSERT_GT(plain.lines.size(), 20u);
    ASSERT_FALSE(plain.labels.empty());

    Store compressed = Load(kQuests / "demo.qs3");
    for (const auto& box : host.boxes) EXPECT_NE(U(box.text), "Во время выполнения произошла ошибка!");
    EXPECT_EQ(compressed.lines, plain.lines);
    EXPECT_EQ(compressed.labels, plain.labels);

    // The .qs1 file ends with one more empty line than the plain quest has.
    Store ciphered = Load(kQuests / "demo.qs1");
    EXPECT_EQ(WithoutTrailingEmpty(ciphered.lines), WithoutTrailingEmpty(plain.lines));
    EXPECT_GT(ciphered.lines.size(), plain.lines.size());
    EXPECT_EQ(ciphered.labels, plain.labels);
}

TEST_F(QuestFilesLoad, ExtensionsCompareIgnoringCase) {
    const std::string quest = "pln один\r\n:room\r\npln два\r\nend\r\n";
    Store plain = Load(WriteFile("quest.qst", "pln один\n:room\npln два\nend\n"));
    EXPECT_EQ(Load(WriteBytes("upper.QS1", formats::EncipherQuestFile(W(quest)))).labels, plain.labels);
    EXPECT_EQ(WithoutTrailingEmpty(Load(dir / "upper.QS1").lines), WithoutTrailingEmpty(plain.lines));
    EXPECT_EQ(Load(WriteBytes("mixed.Qs3", Compressed(W(quest)))).lines, plain.lines);
    EXPECT_TRUE(host.boxes.empty());

    // Other names are read as plain text: ciphered bytes in a .txt or a name without a dot stay ciphered.
    std::string ciphered = formats::EncipherQuestFile(W(quest));
    EXPECT_EQ(Load(WriteBytes("quest.txt", ciphered)).lines[1], formats::QuestCipher(W("pln один")));
    EXPECT_EQ(Load(WriteBytes("noextension", ciphered)).lines[1], formats::QuestCipher(W("pln один")));
    EXPECT_EQ(Load(WriteBytes("plain", W(quest))).lines, plain.lines);
}

TEST_F(QuestFilesLoad, TwoLineCipheredQuestRunsWithOneMoreEmptyLine) {
    auto p = WriteBytes("two.qs1", formats::EncipherQuestFile(W("pln Первая\r\npln Вторая\r\n")));
    Store s = Load(p);
    EXPECT_EQ(s.lines, (std::vector<std::string>{"", W("pln Первая"), W("pln Вторая"), "", "", ""}));
    EXPECT_NE(Text().find("Первая"), std::string::npos);
    EXPECT_NE(Text().find("Вторая"), std::string::npos);
}

TEST_F(QuestFilesLoad, StoredFormLoads) {
    EXPECT_EQ(Load(WriteBytes("stored.qs3", "HE0\rpln x\r\n")).lines,
              (std::vector<std::string>{"", "pln x", "", ""}));
    EXPECT_TRUE(host.boxes.empty());
}

TEST_F(QuestFilesLoad, BrokenCompressedQuestsLoadEmptyAfterTheMessage) {
    std::string good = Slurp(kQuests / "demo.qs3");
    ASSERT_GT(good.size(), 100u);
    ExpectFailedQs3(WriteBytes("empty.qs3", ""));
    ExpectFailedQs3(WriteBytes("one.qs3", "x"));
    ExpectFailedQs3(WriteBytes("half.qs3", good.substr(0, good.size() / 2)));
    ExpectFailedQs3(WriteBytes("signature.qs3", "HE1\r" + good.substr(4)));
    std::string flipped = good;
    flipped.back() ^= 0x01;
    ExpectFailedQs3(WriteBytes("checksum.qs3", flipped));
    ExpectFailedQs3(dir / "missing.qs3");
    // The next load of a good quest is not affected.
    EXPECT_EQ(Load(kQuests / "demo.qs3").lines, Load(kQuests / "demo.qst").lines);
}

class QuestFilesCli : public ::testing::Test, public QuestFixture {
protected:
    CliResult Cli(const std::vector<std::string>& args) { return RunCli(args, dir); }
    static bool Has(const std::string& s, const std::string& part) {
        return s.find(part) != std::string::npos;
    }
};

TEST_F(QuestFilesCli, EncipherCompressDecompressAnalyze) {
    const std::string bytes =
        W("\r\n:start\r\npln Здравствуй\r\nbtn room, Дальше\r\nend\r\n:room\r\nend\r\n");
    auto quest = WriteBytes("quest.qst", bytes);

    CliResult r = Cli({"encipher", quest.string()});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(Slurp(dir / "quest.qs1"), formats::EncipherQuestFile(bytes));
    EXPECT_TRUE(r.out.empty());

    r = Cli({"compress", quest.string()});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(Slurp(dir / "quest.qs3"), Compressed(bytes));

    r = Cli({"decompress", (dir / "quest.qs3").string(), (dir / "back.qst").string()});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(Slurp(dir / "back.qst"), bytes);

    r = Cli({"analyze", quest.string()});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out.rfind("Квест: " + quest.string() + "\nКол-во символов:\t\t", 0), 0u) << r.out;
    EXPECT_TRUE(Has(r.out, "\tCтиль - ")) << r.out;
    EXPECT_TRUE(Has(r.out, "Краткая информация о квесте: \n\n Здравствуй\n")) << r.out;
    EXPECT_FALSE(Has(r.out, "\r"));
}

TEST_F(QuestFilesCli, EmptyOneByteAndTruncatedFiles) {
    auto empty = WriteBytes("empty.qst", "");
    EXPECT_EQ(Cli({"encipher", empty.string()}).exitCode, 0);
    EXPECT_EQ(Slurp(dir / "empty.qs1"), "\r\n");
    EXPECT_EQ(Cli({"compress", empty.string()}).exitCode, 0);
    EXPECT_EQ(Slurp(dir / "empty.qs3"), "HE0\r");
    EXPECT_EQ(Cli({"decompress", (dir / "empty.qs3").string(), (dir / "empty.out").string()}).exitCode, 0);
    EXPECT_EQ(Slurp(dir / "empty.out"), "");
    CliResult r = Cli({"decompress", empty.string(), (dir / "x.out").string()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(Has(
        r.err, std::string("tarvik-cli: ") + empty.string() + ": " + formats::kHuffmanTruncatedDescription))
        << r.err;
    r = Cli({"analyze", empty.string()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(Has(r.err, "Тут совсем пусто!")) << r.err;
    EXPECT_TRUE(r.out.empty());

    auto one = WriteBytes("one.qst", "x");
    EXPECT_EQ(Cli({"encipher", one.string()}).exitCode, 0);
    EXPECT_EQ(Slurp(dir / "one.qs1"), formats::QuestCipher("x") + "\r\n\r\n");
    EXPECT_EQ(Cli({"compress", one.string()}).exitCode, 0);
    EXPECT_EQ(Slurp(dir / "one.qs3"), "HE0\rx");
    r = Cli({"decompress", one.string(), (dir / "x.out").string()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(Has(r.err, formats::kHuffmanTruncatedDescription)) << r.err;
    r = Cli({"analyze", one.string()});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(Has(r.out, "Кол-во символов:\t\t3\n")) << r.out;

    std::string good = Slurp(kQuests / "demo.qs3");
    auto half = WriteBytes("half.qs3", good.substr(0, good.size() / 2));
    r = Cli({"decompress", half.string(), (dir / "x.out").string()});
    EXPECT_EQ(r.exitCode, 1);
    // Cut inside the data: whichever error the codec gives is what the user reads.
    std::string halfDecoded = good.substr(0, good.size() / 2);
    try {
        formats::clsHuffman().DecodeString(halfDecoded);
        ADD_FAILURE() << "half a compressed quest decoded";
    } catch (const formats::HuffmanError& e) {
        EXPECT_TRUE(Has(r.err, half.string() + ": " + e.description())) << r.err;
    }
    auto headerOnly = WriteBytes("header.qs3", good.substr(0, 12));  // cut inside the value pairs
    r = Cli({"decompress", headerOnly.string(), (dir / "x.out").string()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(Has(r.err, formats::kHuffmanTruncatedDescription)) << r.err;
    EXPECT_EQ(Cli({"encipher", half.string()}).exitCode, 0);
    EXPECT_EQ(Cli({"compress", half.string()}).exitCode, 0);
    EXPECT_EQ(Cli({"analyze", half.string()}).exitCode, 0);
    EXPECT_FALSE(fs::exists(dir / "x.out"));  // no failed decompress wrote anything

    std::string flipped = good;
    flipped.back() ^= 0x01;
    auto bad = WriteBytes("bad.qs3", flipped);
    r = Cli({"decompress", bad.string(), (dir / "x.out").string()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(Has(r.err, formats::kHuffmanChecksumDescription)) << r.err;
    r = Cli({"decompress", WriteBytes("he1.qs3", "HE1\rabc").string(), (dir / "x.out").string()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(Has(r.err, formats::kHuffmanSignatureDescription)) << r.err;
    EXPECT_FALSE(fs::exists(dir / "x.out"));
}

TEST_F(QuestFilesCli, FileProblemsAndBadUsage) {
    auto missing = (dir / "missing.qst").string();
    for (const char* command : {"encipher", "compress", "analyze"}) {
        CliResult r = Cli({command, missing});
        EXPECT_EQ(r.exitCode, 1) << command;
        EXPECT_TRUE(Has(r.err, "tarvik-cli: no such quest: " + missing)) << r.err;
    }
    CliResult r = Cli({"decompress", missing, (dir / "out").string()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(Has(r.err, "no such file")) << r.err;

    fs::create_directories(dir / "folder.qst");
    EXPECT_EQ(Cli({"encipher", (dir / "folder.qst").string()}).exitCode, 1);
    EXPECT_EQ(Cli({"analyze", (dir / "folder.qst").string()}).exitCode, 1);
    auto quest = WriteBytes("quest.qst", "pln x\r\n");
    fs::create_directories(dir / "quest.qs3");  // the output name is taken by a folder
    r = Cli({"compress", quest.string()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(Has(r.err, "cannot write")) << r.err;
    r = Cli({"decompress", WriteBytes("s.qs3", "HE0\rx").string(), dir.string()});
    EXPECT_EQ(r.exitCode, 1);

    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"encipher"},
                                               {"compress", "a", "b"},
                                               {"decompress", "in"},
                                               {"analyze", "--verbose", quest.string()}}) {
        r = Cli(args);
        EXPECT_EQ(r.exitCode, 64) << args[0];
        EXPECT_TRUE(Has(r.err, "tarvik-cli decompress IN OUT")) << r.err;  // the usage follows
    }
}

}  // namespace
}  // namespace tarvik::testing
