// The quest analyzer: substring counts, the extract rules, the three grades and the exact report text.
#include <gtest/gtest.h>

#include "test_host.h"
#include "tools/analyzer.h"

namespace tarvik::testing {
namespace {

using tools::AnalyzeQuestText;
using tools::QuestAnalysis;

QuestAnalysis Analyze(const std::string& utf8) {
    return AnalyzeQuestText("q.qst", W(utf8));
}

TEST(Analyzer, CountTextCountsSubstringsIgnoringCase) {
    EXPECT_EQ(tools::CountText("friend\r\nEND\r\nend", "end"), "3");  // friend counts as end
    EXPECT_EQ(tools::CountText("a gift", "if"), "1");
    EXPECT_EQ(tools::CountText("aaaa", "aa"), "2");  // pieces of a split, so no overlaps
    EXPECT_EQ(tools::CountText(W("Привет ПРИВЕТ привет"), W("привет")), "3");
    EXPECT_EQ(tools::CountText("abc", "x"), "0");
    EXPECT_EQ(tools::CountText("abc", ""), "0");
}

TEST(Analyzer, FindLabelsTakesBothMarkersAndCollapsesLineBreaks) {
    const std::string info = "pln\r\n:a\r\n\r\n\r\npln x\r\nEND\r\npln y\r\nend\r\n";
    EXPECT_EQ(tools::findLabels(info, "\r\n:", "\r\nend"), "\r\n:a\r\npln x\r\nEND");
    EXPECT_EQ(tools::findLabels(info, ":b", "\r\nend"), "");
    EXPECT_EQ(tools::findLabels(info, "\r\n:", "\r\nquit"), "");
    // The end marker is looked for after the start marker only.
    EXPECT_EQ(tools::findLabels("\r\nend\r\n:a\r\nend", "\r\n:", "\r\nend"), "\r\n:a\r\nend");
}

TEST(Analyzer, ClearInfoDropsLinesByTheirTrimmedStart) {
    EXPECT_EQ(tools::ClearInfo("  btn a\r\npln b\r\nBTN c", "btn"), "pln b\r\n");
    EXPECT_EQ(tools::ClearInfo("pln has btn inside\r\n\tbtn after a tab", "btn"),
              "pln has btn inside\r\n\tbtn after a tab");
    EXPECT_EQ(tools::ClearInfo("a\r\nb\r\n", "zzz"), "a\r\nb\r\n");
    EXPECT_EQ(tools::ClearInfo("btn\r\nbtn\r\nx", "btn"), "x");
}

TEST(Analyzer, ExtractFollowsTheFirstGotoAndDropsStatements) {
    const std::string quest =
        "\r\n:start\r\npln Hello\r\ngoto room\r\nend\r\n:room\r\np There\r\nbtn x, y\r\nend\r\n:other\r\npln "
        "no\r\nend\r\n";
    EXPECT_EQ(tools::findLinks(quest, "\r\n:"), "\r\n Hello\r\nThere\r\n");
    // Statement lines of every listed kind disappear; what is left is the printed text.
    const std::string busy =
        "\r\n:start\r\ninvkill\r\nperkill\r\nif a then b\r\nsave\r\nproc x\r\ninv+ a\r\ninv- a\r\n; "
        "note\r\ncls\r\n"
        "PLN Text\r\nend\r\n";
    EXPECT_EQ(tools::findLinks(busy, "\r\n:"), "\r\n Text\r\n");
    EXPECT_EQ(U(tools::findLinks("\r\n:start\r\nbtn a, b\r\nend\r\n", "\r\n:")), "Информация не обнаружена");
    EXPECT_EQ(U(tools::findLinks("pln no label\r\n", "\r\n:")), "Информация не обнаружена");
    // "goto" without a name after "goto " adds nothing.
    EXPECT_EQ(tools::findLinks("\r\n:s\r\npln a\r\ngoto\r\nend\r\n", "\r\n:"), "\r\n a\r\n");
}

TEST(Analyzer, FullReport) {
    QuestAnalysis a = Analyze("\n:start\npln Привет!\nbtn go, Идти\nend\n:go\npln Дорога.\nend\n");
    ASSERT_FALSE(a.empty);
    const std::string rule(96, '_');
    EXPECT_EQ(
        U(a.report),
        "Квест: q.qst\r\n"
        "Кол-во символов:\t\t67\r\n"
        "(без \"enter\"):\t\t49\r\n"
        "Кол-во строк:\t\t9\r\n"
        "Кол-во меток:\t\t2\r\n"
        "Кол-во сохранений:\t0\r\n"
        "Кол-во переходов:\t\t1\r\n"
        "Из них goto:\t\t0\r\n"
        "Кол-во proc:\t\t0\r\n"
        "Кол-во if:\t\t\t0\r\n"
        "Кол-во end:\t\t2\r\n" +
            rule +
            "\r\nАнализ квеста показал, что: \r\n"
            "\tРазмер квеста - чересчур маленький(1 из 8)\r\n"
            "\tCтиль - э... стиль первой пробы пера или первого блина(1 из 5)\r\n"
            "\tСложность квеста - простенький(1 из 7)\r\n"
            "Выводы:\r\n"
            "\t<по размеру> Скорее всего квест незакончен, либо это один из отрывков квеста, состоящего из "
            "нескольких частей. Это так же может быть шаблон или начальные титры к квесту...\r\n"
            "\t <по стилю> отсутствует \"встроенная интерактивность\" в игре: просто выбираешь варианты и "
            "все, так далеко не протянешь... Возможности ZOT практически не используются.\r\n" +
            rule + "\r\nКраткая информация о квесте: \r\n\r\n Привет!\r\n");
    EXPECT_EQ(a.report.find("\xD1\xF2\xE8\xEB\xFC"), std::string::npos);  // no Cyrillic С in "Cтиль"
}

TEST(Analyzer, SizeGradeBoundaries) {
    // The appended CR LF counts: 1998 bytes make 2000 characters.
    auto grade = [](size_t bytes) { return AnalyzeQuestText("q", std::string(bytes, 'x')).sizeGrade; };
    EXPECT_EQ(grade(1997), 1);
    EXPECT_EQ(grade(1998), 2);
    EXPECT_EQ(grade(5997), 2);
    EXPECT_EQ(grade(5998), 3);
    EXPECT_EQ(grade(15998), 4);
    EXPECT_EQ(grade(25998), 5);
    EXPECT_EQ(grade(49998), 6);
    EXPECT_EQ(grade(99998), 7);
    EXPECT_EQ(grade(299997), 7);
    QuestAnalysis huge = AnalyzeQuestText("q", std::string(299998, 'x'));
    EXPECT_EQ(huge.sizeGrade, 8);
    EXPECT_NE(U(huge.report).find("Размер квеста - огромный(8 из 8)"), std::string::npos);
    EXPECT_NE(U(huge.report).find("Срочно пришлите его мне(tarvik@example.org)! Пожалуйста!"),
              std::string::npos);
    EXPECT_NE(U(AnalyzeQuestText("q", std::string(1998, 'x')).report)
                  .find("Размер квеста - очень маленький(2 из 8)"),
              std::string::npos);
}

TEST(Analyzer, StyleGradesAndMarks) {
    auto style = [](const std::string& q) {
        QuestAnalysis a = Analyze(q);
        return std::to_string(a.styleGrade) + a.styleMarks;
    };
    EXPECT_EQ(style("\n:a\npln x\n"), "1");
    EXPECT_EQ(style("\n:a\nif x then pln y\n"), "1");               // an if without any goto stays at 1
    EXPECT_EQ(style("\n:a\n:b\n:c\n:d\nif x then goto a\n"), "2");  // 1 if is not above 4/3 labels
    EXPECT_EQ(style("\n:a\nif x then goto a\n"), "2");              // no save
    EXPECT_EQ(style("\n:a\nif x then goto a\nsave\n"), "3");
    EXPECT_EQ(style("\n:a\nif x then goto a\nsave\nproc a\nend\n"), "4");  // end is not below the labels
    EXPECT_EQ(style("\n:a\n:b\nif x then goto a\nif y then save\nproc a\nend\n"), "5");
    EXPECT_EQ(style("\n:a\nx=rnd\n"), "1+");
    EXPECT_EQ(style("\n:a\nplay a.wav\n; note\nx=RND\n"), "1+++");
    EXPECT_EQ(style("; only a first-line comment\n"), "1");  // it follows no line break
    EXPECT_NE(U(Analyze("\n:a\nif x then goto a\nsave\n").report).find("Cтиль - без изысков(3 из 5)"),
              std::string::npos);
    EXPECT_NE(U(Analyze("\n:a\nplay x\n").report).find("первого блина(1+ из 5)"), std::string::npos);
}

TEST(Analyzer, GradeLinesAndVerdictsOfAMiddleQuest) {
    // One label, if, goto, save, rnd and play, filled up to 10000 characters: size 3, style 3 with two marks.
    std::string quest = "\r\n:a\r\nif x then goto a\r\nsave\r\nx=rnd\r\nplay s.wav\r\n";
    quest += std::string(10000 - 2 - quest.size(), 'x');
    QuestAnalysis a = AnalyzeQuestText("q", quest);
    EXPECT_EQ(a.characters, 10000);
    EXPECT_NE(
        U(a.report).find("\tРазмер квеста - маленький(3 из 8)\r\n"
                         "\tCтиль - без изысков(3++ из 5)\r\n"
                         "\tСложность квеста - простенький(1 из 7)\r\n"
                         "Выводы:\r\n"
                         "\t<по размеру> Это игра маленькго размера, но большинство игр под ZOT имеют именно "
                         "такие габариты.\r\n"
                         "\t <по стилю> не слишком часто используются особенности ZOT, но уже чувствуется "
                         "опыт автора в квестоделании.\r\n"),
        std::string::npos)
        << U(a.report);
}

TEST(Analyzer, DifficultyRoundsHalvesToEvenAndIsClamped) {
    // 50 labels and no btn: difficulty = 1 + ifs / 50.
    auto quest = [](int ifs) {
        std::string q = "\n";
        for (int i = 1; i <= 50; ++i) q += ":l" + std::to_string(i) + "\n";
        for (int i = 0; i < ifs; ++i) q += "if\n";
        return Analyze(q);
    };
    EXPECT_EQ(quest(75).difficultyGrade, 2);   // 2.5
    EXPECT_EQ(quest(76).difficultyGrade, 3);   // 2.52
    EXPECT_EQ(quest(125).difficultyGrade, 4);  // 3.5
    EXPECT_EQ(quest(500).difficultyGrade, 7);  // 11, clamped
    EXPECT_EQ(quest(0).difficultyGrade, 1);
    EXPECT_NE(U(quest(125).report).find("Сложность квеста - средней сложности(4 из 7)"), std::string::npos);
    EXPECT_NE(U(quest(500).report).find("Ого-го! Семь потов сойдет пока пройдешь! Наисложнейший.(7 из 7)"),
              std::string::npos);
    // No labels at all: the divisions fail and the difficulty is 1, whatever else the quest holds.
    QuestAnalysis none = Analyze("btn a, b\nif x then y\nif\nif\n");
    EXPECT_EQ(none.labels, 0);
    EXPECT_EQ(none.difficultyGrade, 1);
    // btn / (3 * labels) + labels / 50 + if / labels with 2 labels, 15 btn, 3 if: 2.5 + 0.04 + 1.5 = 4.04.
    std::string q = "\n:a\n:b\n";
    for (int i = 0; i < 15; ++i) q += "btn\n";
    q += "if\nif\nif\n";
    EXPECT_EQ(Analyze(q).difficultyGrade, 4);
}

TEST(Analyzer, CountsOfTheReport) {
    QuestAnalysis a =
        Analyze("\n: spaced\n  :indented\n\t:tabbed\nbtn a\ngoto b\nproc c\nfriend save gift\n");
    EXPECT_EQ(a.labels, 2);  // blanks are removed before counting, tabs are not
    EXPECT_EQ(a.btn, 1);
    EXPECT_EQ(a.gotos, 1);
    EXPECT_EQ(a.procs, 1);
    EXPECT_EQ(a.ends, 1);
    EXPECT_EQ(a.saves, 1);
    EXPECT_EQ(a.ifs, 1);
    EXPECT_NE(U(a.report).find("Кол-во переходов:\t\t2\r\n"), std::string::npos);
}

TEST(Analyzer, EmptyAndTinyFiles) {
    EXPECT_TRUE(AnalyzeQuestText("q", "").empty);
    QuestAnalysis one = AnalyzeQuestText("q", "x");
    EXPECT_FALSE(one.empty);
    EXPECT_EQ(one.characters, 3);
    EXPECT_EQ(one.lines, 1);
    EXPECT_EQ(U(one.extract), "Информация не обнаружена");
    EXPECT_TRUE(tools::AnalyzeQuestFile("q", "/nonexistent/quest.qst").empty);
    // Lines ended by LF alone count as the CR LF lines they load as.
    QuestAnalysis lf = AnalyzeQuestText("q", "pln a\n:b\n");
    EXPECT_EQ(lf.lines, 3);
    EXPECT_EQ(lf.characters, 13);
    EXPECT_EQ(lf.labels, 1);

    EXPECT_EQ(U(tools::EmptyQuestTitle()), "С О О Б Щ Е Н И Е");
    EXPECT_EQ(U(tools::EmptyQuestMessage()),
              "Тут совсем пусто! Перегрелся у процессора, гой ты еси, добрый пользователь?\r\n"
              "Зенки надо по утрам протирать... Ходют тут всякие...");
}

}  // namespace
}  // namespace tarvik::testing
