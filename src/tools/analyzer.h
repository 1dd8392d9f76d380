// The quest analyzer: counts, size / style / difficulty grades and the opening-text extract of a quest, as
// one report text. It reads the quest's stored bytes and never runs it, so a .qs1 or .qs3 quest is analysed
// as it is stored. All strings are code page 1251.
#pragma once

#include <cstdint>
#include <string>

namespace tarvik::tools {

// Occurrences of Search in Text, ignoring case, as decimal text ("0" for an empty Search).
std::string CountText(const std::string& Text, const std::string& Search);
// From the first StartText through the end of the next EndText after it (case-insensitive), with every run of
// CR LFs collapsed to one; empty when either is missing.
std::string findLabels(const std::string& info, const std::string& StartText, const std::string& EndText);
// The opening-text extract: the first location (StartLink, e.g. CR LF ":", through the next line starting
// "end"), followed by the location its first "goto" names, with statement lines and print keywords removed;
// "Информация не обнаружена" when nothing is left.
std::string findLinks(const std::string& Text, const std::string& StartLink);
// info without its lines whose blank-trimmed form begins with StartText (case-insensitive); unchanged when
// StartText does not occur at all.
std::string ClearInfo(const std::string& info, const std::string& StartText);

// Everything the report shows. `empty` is set (and nothing else filled) for a quest text shorter than 3
// characters, which gets the empty-file message box instead of a report.
struct QuestAnalysis {
    bool empty = false;
    int32_t characters = 0, lines = 0, labels = 0, btn = 0, gotos = 0, procs = 0, ends = 0, saves = 0,
            ifs = 0;
    int sizeGrade = 0;        // 1..8
    int styleGrade = 0;       // 1..5
    std::string styleMarks;   // "", "+", "++" or "+++"
    int difficultyGrade = 0;  // 1..7
    std::string extract;      // the opening-text extract
    std::string report;       // the whole report text
};

// Analyses a quest's file bytes; questPath is only shown in the report's first line.
QuestAnalysis AnalyzeQuestText(const std::string& questPath, const std::string& fileBytes);
// Reads the file at nativePath (UTF-8 path; a missing or unreadable file counts as empty) and analyses it.
QuestAnalysis AnalyzeQuestFile(const std::string& questPath, const std::string& nativePath);

// The empty-file message box: critical-stop icon (16), this title and text.
std::string EmptyQuestTitle();
std::string EmptyQuestMessage();
// The report window's caption.
std::string AnalyzerCaption();

}  // namespace tarvik::tools
