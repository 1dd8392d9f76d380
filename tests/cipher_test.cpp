// The .qs1 cipher, the .qs1 file layout and the output naming rule shared with the compressor.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "formats/cipher.h"
#include "test_host.h"
#include "tools/quest_files.h"

namespace tarvik::testing {
namespace {

using formats::EncipherQuestFile;
using formats::QuestCipher;

TEST(QuestCipher, MirrorsCodesFromThirtyTwoUp) {
    EXPECT_EQ(QuestCipher("ABC"), "\xDE\xDD\xDC");  // Ю Э Ь
    EXPECT_EQ(U(QuestCipher("ABC")), "ЮЭЬ");
    EXPECT_EQ(QuestCipher(QuestCipher("ABC")), "ABC");
    EXPECT_EQ(QuestCipher(" "), W("я"));
    EXPECT_EQ(QuestCipher("\t\r\n"), "\t\r\n");
    EXPECT_EQ(QuestCipher(std::string("\0", 1)), std::string("\0", 1));

    std::string all;
    for (int c = 0; c < 256; ++c) all += static_cast<char>(c);
    std::string ciphered = QuestCipher(all);
    ASSERT_EQ(ciphered.size(), 256u);
    for (int c = 0; c < 256; ++c)
        EXPECT_EQ(static_cast<unsigned char>(ciphered[c]), c < 32 ? c : 287 - c) << "code " << c;
    EXPECT_EQ(QuestCipher(ciphered), all);
}

TEST(QuestCipher, FileIsEveryLineWithCrLfAndOneMore) {
    const std::string two = "\xDE\r\n\xDD\r\n\r\n";  // "A", "B" enciphered
    EXPECT_EQ(EncipherQuestFile("A\r\nB\r\n"), two);
    EXPECT_EQ(EncipherQuestFile("A\r\nB"), two);  // the last line needs no line end
    EXPECT_EQ(EncipherQuestFile("A\nB\n"), two);  // nor CR before LF
    EXPECT_EQ(EncipherQuestFile(""), "\r\n");
    EXPECT_EQ(EncipherQuestFile("\r\n"), "\r\n\r\n");  // one empty line
    EXPECT_EQ(EncipherQuestFile("A\r\n\r\nB"), "\xDE\r\n\r\n\xDD\r\n\r\n");
    // A CR that ends no line is a character of its line, kept as it is.
    EXPECT_EQ(EncipherQuestFile("A\rB\r\n"), "\xDE\r\xDD\r\n\r\n");
}

TEST(QuestCipher, OutputNameRule) {
    EXPECT_EQ(tools::SiblingPath("dir/quest.qst", "qs1"), "dir/quest.qs1");
    EXPECT_EQ(tools::SiblingPath("quest.v2.qst", "qs3"), "quest.v2.qs3");
    // A name without a dot keeps its folder and gains the extension.
    EXPECT_EQ(tools::SiblingPath("quest", "qs1"), "quest.qs1");
    EXPECT_EQ(tools::SiblingPath("old.dir/quest", "qs1"), "old.dir/quest.qs1");
    EXPECT_EQ(tools::SiblingPath("quest.", "qs1"), "quest.qs1");
}

TEST(QuestCipher, WriterReportsEachFailure) {
    QuestFixture q;
    auto plain = q.WriteFile("quest.qst", "pln Привет\n:room\n");
    tools::WriteResult r = tools::WriteCipheredQuest(plain.string());
    EXPECT_TRUE(r.ok());
    EXPECT_EQ(r.outputPath, (q.dir / "quest.qs1").string());
    EXPECT_EQ(Slurp(q.dir / "quest.qs1"),
              QuestCipher(W("pln Привет")) + "\r\n" + QuestCipher(":room") + "\r\n\r\n");

    r = tools::WriteCipheredQuest((q.dir / "missing.qst").string());
    EXPECT_EQ(r.status, tools::WriteStatus::SourceMissing);
    EXPECT_FALSE(std::filesystem::exists(q.dir / "missing.qs1"));

    std::filesystem::create_directories(q.dir / "folder.qst");
    EXPECT_EQ(tools::WriteCipheredQuest((q.dir / "folder.qst").string()).status,
              tools::WriteStatus::ReadFailed);

    // The output name is taken by a folder.
    q.WriteFile("busy.qst", "pln x\n");
    std::filesystem::create_directories(q.dir / "busy.qs1");
    r = tools::WriteCipheredQuest((q.dir / "busy.qst").string());
    EXPECT_EQ(r.status, tools::WriteStatus::WriteFailed);
    EXPECT_EQ(r.outputPath, (q.dir / "busy.qs1").string());
}

}  // namespace
}  // namespace tarvik::testing
