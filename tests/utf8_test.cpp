// Quest files kept in UTF-8: recognised file by file and read as code page 1251 before anything else.
#include <gtest/gtest.h>

#include "formats/cipher.h"
#include "formats/huffman.h"
#include "test_host.h"
#include "tools/analyzer.h"
#include "tools/quest_files.h"

namespace tarvik::testing {
namespace {

const std::string kBom = "\xEF\xBB\xBF";

DialogResult Chosen(const std::filesystem::path& p) {
    DialogResult r;
    r.state = DialogResult::State::Accepted;
    r.text = p.string();
    return r;
}

TEST(Utf8, RecognitionAndConversion) {
    struct Case {
        const char* what;
        std::string bytes;
        bool utf8;
        std::string cp1251;  // what a quest reads, in UTF-8 for readability
    };
    const Case cases[] = {
        {"plain ASCII is left alone", "pln abc", false, "pln abc"},
        {"a mark before ASCII", kBom + "pln abc", true, "pln abc"},
        {"a mark before Russian", kBom + "pln Привет", true, "pln Привет"},
        {"Russian without a mark", "pln Привет, Ёж", true, "pln Привет, Ёж"},
        {"characters 1251 lacks become ?", "pln 日本 ☺ €", true, "pln ?? ? €"},
        {"a four-byte character", "x\xF0\x9F\x98\x80y", true, "x?y"},
        {"1251 Russian is not UTF-8", W("pln Привет, мир"), false, "pln Привет, мир"},
        {"1251 capital then small letters", W("Начало"), false, "Начало"},
        {"a sequence cut short at the end", "pln \xD0", false, "pln Р"},
        {"a lone continuation byte", "Привет \x80", false, "Привет \x80"},
        {"an overlong form", "Привет \xC0\xAF", false, ""},
        {"an encoded surrogate", "Привет \xED\xA0\x80", false, ""},
        {"past U+10FFFF", "Привет \xF4\x90\x80\x80", false, ""},
        {"a lead byte without continuation", "Привет \xE2\x82x", false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(text::LooksLikeUtf8(c.bytes), c.utf8);
        std::string read = text::QuestTextToCp1251(c.bytes);
        if (c.utf8)
            EXPECT_EQ(U(read), c.cp1251);
        else
            EXPECT_EQ(read, c.bytes);  // not UTF-8: the bytes go on exactly as they were
    }
}

TEST(Utf8, QuestFilesWithAndWithoutMarkPlayWithCyrillicLabels) {
    // The label differs in letter case from the button's target: only 1251 text folds it.
    const std::string quest =
        "btn Начало, Войти\n"
        "pln Дверь\n"
        "end\n"
        ":начало\n"
        "pln Комната\n"
        "end\n";
    for (const std::string& prefix : {kBom, std::string()}) {
        QuestFixture q;
        auto p = q.WriteBytes("quest.qst", prefix + quest);
        q.engine->OpenQuest(p.string());
        EXPECT_EQ(q.Text(), "Дверь \r\n");
        EXPECT_EQ(q.engine->programLines()[1], W("btn Начало, Войти"));  // no mark left over
        q.engine->ChooseButton(0);
        EXPECT_EQ(q.Text(), "Комната \r\n");
    }
}

TEST(Utf8, EachIncludedFileIsDecidedOnItsOwn) {
    {
        // A UTF-8 include inside a 1251 quest.
        QuestFixture q;
        q.WriteBytes("part.inc", "pln Из UTF-8 файла\n");
        q.Run("pln Квест в 1251\ninclude quest_pathpart.inc\nend");
        EXPECT_EQ(q.Text(), "Квест в 1251 \r\nИз UTF-8 файла \r\n");
    }
    {
        // A 1251 include inside a UTF-8 quest.
        QuestFixture q;
        q.WriteFile("part.inc", "pln Из файла 1251");
        auto p = q.WriteBytes("quest.qst", kBom + "pln Квест в UTF-8\ninclude quest_pathpart.inc\nend");
        q.engine->OpenQuest(p.string());
        EXPECT_EQ(q.Text(), "Квест в UTF-8 \r\nИз файла 1251 \r\n");
    }
}

TEST(Utf8, CompressedAndCipheredUtf8QuestsAreConvertedAfterDecoding) {
    QuestFixture q;
    const std::string quest = kBom + "pln Сжатый квест\r\nend\r\n";
    auto plain = q.WriteBytes("quest.qst", quest);
    ASSERT_TRUE(tools::WriteCompressedQuest(plain.string()).ok());
    q.engine->OpenQuest((q.dir / "quest.qs3").string());
    EXPECT_EQ(q.Text(), "Сжатый квест \r\n");

    q.WriteBytes("quest.qs1", formats::EncipherQuestFile(quest));
    q.engine->OpenQuest((q.dir / "quest.qs1").string());
    EXPECT_EQ(q.Text(), "Сжатый квест \r\n");
}

TEST(Utf8, SavedGamesInUtf8Restore) {
    QuestFixture q;
    Engine& e = q.Run("pln начало\nend\n:room\npln в комнате\nend");
    auto file =
        q.WriteBytes("s.qsv", kBom +
                                  "PerKill\r\nимя=\"Вася\"\r\nPrintLn Привет\r\nxBtn room,{},Войти\r\n"
                                  "InvKill\r\nInv+ Фонарь\r\nend\r\n");
    q.host.openAnswers.push_back(Chosen(file));
    e.RestoreGame();
    EXPECT_EQ(q.Var("имя"), "Вася");
    EXPECT_EQ(q.Text(), "Привет\r\n");
    EXPECT_EQ(q.Buttons(), std::vector<std::string>{"Войти"});
    EXPECT_EQ(q.Items(), std::vector<std::string>{"1шт. Фонарь"});
}

TEST(Utf8, AnalyzerCountsCharactersAndShowsReadableText) {
    const std::string quest = "; квест\r\n:начало\r\npln Добро пожаловать\r\nend\r\n";
    tools::QuestAnalysis asCp1251 = tools::AnalyzeQuestText("q.qst", W(quest));
    tools::QuestAnalysis asUtf8 = tools::AnalyzeQuestText("q.qst", kBom + quest);
    EXPECT_EQ(asUtf8.characters, asCp1251.characters);
    EXPECT_EQ(asUtf8.characters, static_cast<int32_t>(W(quest).size() + 2));
    EXPECT_EQ(asUtf8.sizeGrade, asCp1251.sizeGrade);
    EXPECT_EQ(U(asUtf8.extract), U(asCp1251.extract));
    EXPECT_NE(U(asUtf8.extract).find("Добро пожаловать"), std::string::npos);
}

}  // namespace
}  // namespace tarvik::testing
