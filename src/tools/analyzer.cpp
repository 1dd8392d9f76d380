// The quest analyzer. Its counts are plain case-insensitive substring counts over the stored file, on
// purpose: the report is a quick impression for the author, not a parse of the quest.
#include "tools/analyzer.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "files/paths.h"
#include "text/text.h"

namespace tarvik::tools {

namespace {

// Where the grade-8 verdict asks the author of a giant quest to send it.
constexpr char kContactEmail[] = "tarvik@example.org";

const std::string kCrLf = "\r\n";

std::string W(const char* utf8) {
    return text::Utf8ToCp1251(utf8);
}

struct Grade {
    const char* word;
    const char* verdict;
};

// Upper bounds (exclusive) of the character count for size grades 1 to 7; grade 8 is everything above.
constexpr std::array<int32_t, 7> kSizeBounds = {2000, 6000, 16000, 26000, 50000, 100000, 300000};

const std::array<Grade, 8> kSizeGrades = {{
    {"чересчур маленький",
     " Скорее всего квест незакончен, либо это один из отрывков квеста, состоящего из нескольких частей. Это "
     "так же может быть шаблон или начальные титры к квесту..."},
    {"очень маленький",
     " Эта игра очень короткая, возможно это один из отрывков квеста, состоящего из нескольких частей."},
    {"маленький", " Это игра маленькго размера, но большинство игр под ZOT имеют именно такие габариты."},
    {"небольшой",
     " Относительно небольшой квест, но уже с претензией на что-то большое и светлое(по усредненной "
     "статистике квестов ZOT)."},
    {"средний",
     " Размер по стандартам ZOT уже внушает доверие(а это хорошо) - таких квестов не слишком много и можно, "
     "почти с уверенностью, сказать, что проходя его придется потрудиться. Именно такие габариты у "
     "\"признанных шедевров\" ZOT-игр."},
    {"выше среднего",
     " \"Вес\" игры очень хороший - по статистике квесты такого размера становятся хитами, хотя, конечно, "
     "большой размер вовсе не главное для хорошего квеста, но, как правило, хороший квест имеет хорошие "
     "размеры."},
    {"большой",
     " Скорее всего это либо просто не квест(например, какой-нибудь текстовый файл), либо что-то "
     "уникальное."},
    {"огромный", nullptr},  // built with the contact address
}};

std::string GiantVerdict() {
    return std::string(" Где вы нашли такой квест?! Срочно пришлите его мне(") + kContactEmail +
           ")! Пожалуйста! На самом деле - лично я, как автор данного редактора и любитель ЗОТ-игр просто "
           "еще "
           "не встречал этих самых игр ТАКОГО размера... Я верю что там внутри что-то замечательное... И "
           "жду, "
           "что ЭТО залетит на мой ящик. ж)";
}

const std::array<Grade, 5> kStyleGrades = {{
    {"э... стиль первой пробы пера или первого блина",
     "отсутствует \"встроенная интерактивность\" в игре: просто выбираешь варианты и все, так далеко не "
     "протянешь... Возможности ZOT практически не используются."},
    {"стиль начинающего ZOT-писателя",
     "почти отсутствует \"встроенная интерактивность\" в игре, но есть подвижки в сторону улучшения, хотя не "
     "используются многие возможности движка."},
    {"без изысков",
     "не слишком часто используются особенности ZOT, но уже чувствуется опыт автора в квестоделании."},
    {"возможности ZOT используются частично",
     "успешно используются многие возможности движка, стиль \"на уровне\"."},
    {"автор хорошо знаком с возможностями ZOT: изысканный стиль",
     "практически все, что можно выжать из ZOT, автор прекрасно знаком с движком и пользуется этим "
     "преимуществом, это скорее всего не первая игра этого автора, безусловно опытного в написании "
     "квестов."},
}};

const std::array<const char*, 7> kDifficultyWords = {
    "простенький",
    "простой",
    "довольно простой, но в то же время..",
    "средней сложности",
    "придется потрудиться",
    "сложный",
    "Ого-го! Семь потов сойдет пока пройдешь! Наисложнейший.",
};

// The statement lines an extract leaves out, in the order they are removed.
const std::array<const char*, 13> kExtractDropped = {
    ":", "end", "invkill", "perkill", "btn", "if", "save", "proc", "inv+", "inv-", ";", "cls", "goto"};

int32_t Count(const std::string& text, const std::string& what) {
    return static_cast<int32_t>(text::CountNoCase(text, what));
}

// Quests saved on Linux end their lines with LF alone; they are counted as the CR LF lines they load as.
std::string WithCrLf(const std::string& s) {
    std::string out;
    out.reserve(s.size() + s.size() / 32);
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\n' && (i == 0 || s[i - 1] != '\r')) out += '\r';
        out += s[i];
    }
    return out;
}

}  // namespace

std::string CountText(const std::string& Text, const std::string& Search) {
    if (Search.empty()) return "0";
    return std::to_string(text::CountNoCase(Text, Search));
}

std::string findLabels(const std::string& info, const std::string& StartText, const std::string& EndText) {
    size_t start = text::FindNoCase(info, StartText);
    if (start == std::string::npos || StartText.empty()) return std::string();
    size_t end = text::FindNoCase(info, EndText, start + StartText.size());
    if (end == std::string::npos || EndText.empty()) return std::string();
    std::string part = info.substr(start, end + EndText.size() - start);
    text::ReplaceRepeatedly(part, kCrLf + kCrLf, kCrLf);
    return part;
}

std::string ClearInfo(const std::string& info, const std::string& StartText) {
    if (StartText.empty() || !text::ContainsNoCase(info, StartText)) return info;
    const std::string marker = W("Delete ME!#?%%%ы%%%#");
    std::string joined;
    joined.reserve(info.size());
    size_t start = 0;
    for (;;) {
        size_t end = info.find(kCrLf, start);
        std::string_view line =
            std::string_view(info).substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (text::StartsWithNoCase(text::TrimView(line), StartText))
            joined += marker;
        else
            joined += line;
        if (end == std::string::npos) break;
        joined += kCrLf;
        start = end + 2;
    }
    // Exact, left-to-right replacement: a marker followed by CR LF goes with its line break.
    auto removeAll = [&joined](const std::string& what) {
        std::string out;
        out.reserve(joined.size());
        size_t from = 0;
        for (size_t at; (at = joined.find(what, from)) != std::string::npos; from = at + what.size())
            out.append(joined, from, at - from);
        out.append(joined, from, std::string::npos);
        joined.swap(out);
    };
    removeAll(marker + kCrLf);
    removeAll(marker);
    return joined;
}

std::string findLinks(const std::string& Text, const std::string& StartLink) {
    const std::string endLine = kCrLf + "end";
    std::string extract = findLabels(Text, StartLink, endLine);
    if (text::ContainsNoCase(extract, "goto")) {
        std::string name;
        size_t at = text::FindNoCase(extract, "goto ");
        if (at != std::string::npos) {
            size_t from = at + 5;
            size_t eol = extract.find(kCrLf, from);
            name = text::Trim(std::string_view(extract).substr(
                from, eol == std::string::npos ? std::string::npos : eol - from));
        }
        if (!name.empty()) {
            std::string next = findLabels(Text, ":" + name, endLine);
            extract = ClearInfo(extract, "goto") + next;
        }
    }
    for (const char* dropped : kExtractDropped) extract = ClearInfo(extract, dropped);
    text::ReplaceAllNoCase(extract, "pln", "");
    text::ReplaceAllNoCase(extract, "p ", "");
    if (extract.empty() || extract == kCrLf) extract = W("Информация не обнаружена");
    return extract;
}

QuestAnalysis AnalyzeQuestText(const std::string& questPath, const std::string& fileBytes) {
    QuestAnalysis a;
    // A UTF-8 quest is graded by its characters, not its bytes, and its extract must be readable: taken in
    // code page 1251, one byte per character, it is both.
    std::string quest = WithCrLf(text::QuestTextToCp1251(fileBytes)) + kCrLf;
    if (quest.size() < 3) {
        a.empty = true;
        return a;
    }

    a.characters = static_cast<int32_t>(quest.size());
    a.lines = Count(quest, kCrLf);
    a.btn = Count(quest, "btn");
    {
        std::string packed;
        packed.reserve(quest.size());
        std::copy_if(quest.begin(), quest.end(), std::back_inserter(packed), [](char c) { return c != ' '; });
        a.labels = Count(packed, kCrLf + ":");
    }
    a.gotos = Count(quest, "goto");
    a.procs = Count(quest, "proc");
    a.ends = Count(quest, "end");
    a.saves = Count(quest, "save");
    a.ifs = Count(quest, "if");

    a.extract = findLinks(quest, kCrLf + ":");

    a.sizeGrade = 8;
    for (size_t g = 0; g < kSizeBounds.size(); ++g) {
        if (a.characters < kSizeBounds[g]) {
            a.sizeGrade = static_cast<int>(g) + 1;
            break;
        }
    }

    int style = 0;
    if (a.ifs == 0) style = 1;
    if (a.ifs >= 1 && a.gotos >= 1) style = 2;
    bool third = a.ifs > a.labels / 3.0 && a.gotos >= 1 && a.saves >= 1;
    if (third) style = 3;
    bool fourth = third && a.procs >= 1;
    if (fourth) style = 4;
    if (fourth && a.ends < a.labels) style = 5;
    if (style < 1) style = 1;
    a.styleGrade = style;
    if (Count(quest, "rnd") >= 1) a.styleMarks += '+';
    if (Count(quest, "play") >= 1) a.styleMarks += '+';
    if (Count(quest, kCrLf + ";") >= 1) a.styleMarks += '+';

    // Without labels the divisions fail and the difficulty stays at 0, which the clamp lifts to 1.
    double d = 0;
    if (a.labels > 0)
        d = text::RoundHalfEven(a.btn / (3.0 * a.labels) + a.labels / 50.0 +
                                static_cast<double>(a.ifs) / a.labels);
    a.difficultyGrade = static_cast<int>(std::clamp(d, 1.0, 7.0));

    const Grade& size = kSizeGrades[a.sizeGrade - 1];
    const Grade& styleText = kStyleGrades[a.styleGrade - 1];
    std::string sizeVerdict = size.verdict ? std::string(size.verdict) : GiantVerdict();
    std::string sizeLine = std::string(size.word) + "(" + std::to_string(a.sizeGrade) + " из 8)";
    std::string styleLine =
        std::string(styleText.word) + "(" + std::to_string(a.styleGrade) + a.styleMarks + " из 5)";
    std::string difficultyLine = std::string(kDifficultyWords[a.difficultyGrade - 1]) + "(" +
                                 std::to_string(a.difficultyGrade) + " из 7)";
    std::string verdicts = sizeVerdict + "\r\n\t <по стилю> " + styleText.verdict;
    const std::string rule(96, '_');
    auto n = [](int32_t v) { return std::to_string(v); };

    std::string r;
    r += "Кол-во символов:\t\t" + n(a.characters) + "\r\n";
    r += "(без \"enter\"):\t\t" + n(a.characters - 2 * a.lines) + "\r\n";
    r += "Кол-во строк:\t\t" + n(a.lines) + "\r\n";
    r += "Кол-во меток:\t\t" + n(a.labels) + "\r\n";
    r += "Кол-во сохранений:\t" + n(a.saves) + "\r\n";
    r += "Кол-во переходов:\t\t" + n(a.btn + a.gotos) + "\r\n";
    r += "Из них goto:\t\t" + n(a.gotos) + "\r\n";
    r += "Кол-во proc:\t\t" + n(a.procs) + "\r\n";
    r += "Кол-во if:\t\t\t" + n(a.ifs) + "\r\n";
    r += "Кол-во end:\t\t" + n(a.ends) + "\r\n";
    r += rule + "\r\nАнализ квеста показал, что: \r\n";
    r += "\tРазмер квеста - " + sizeLine + "\r\n";
    r += "\tCтиль - " + styleLine + "\r\n";  // Latin C, as the report has always spelled it
    r += "\tСложность квеста - " + difficultyLine + "\r\n";
    r += "Выводы:\r\n\t<по размеру>" + verdicts + "\r\n";
    r += rule + "\r\nКраткая информация о квесте: \r\n";
    // Everything above is UTF-8 source text; the path and the extract are already code page 1251.
    a.report = W("Квест: ") + questPath + "\r\n" + text::Utf8ToCp1251(r) + a.extract;
    return a;
}

QuestAnalysis AnalyzeQuestFile(const std::string& questPath, const std::string& nativePath) {
    std::string bytes;
    if (!ReadWholeFile(nativePath, bytes)) bytes.clear();
    return AnalyzeQuestText(questPath, bytes);
}

std::string EmptyQuestTitle() {
    return W("С О О Б Щ Е Н И Е");
}

std::string EmptyQuestMessage() {
    return W(
        "Тут совсем пусто! Перегрелся у процессора, гой ты еси, добрый пользователь?\r\n"
        "Зенки надо по утрам протирать... Ходют тут всякие...");
}

std::string AnalyzerCaption() {
    return W("О квесте.");
}

}  // namespace tarvik::tools
