// Reading a quest's source as the player does: the file's kind, line ends, UTF-8 and DOS text, comments,
// continued lines and include directives, with, for the author tools, where every byte was written. Bytes in,
// text out: the files an include names are found by the caller's resolver.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarvik::formats {

// Where program text was written: a file (an index into QuestSource::files) and its line there, from 1.
struct SourceOrigin {
    int file = 0;
    int line = 1;
};

// Past any of these an include contributes nothing, as if its file did not exist.
struct IncludeLimits {
    int depth = 0;    // an include inside an include inside ...
    int count = 0;    // expansions in one read
    size_t text = 0;  // text read so far (the quest's and every included one) before a further one
};

// The file ".qs1" or ".qs3" names: a ciphered or a compressed quest.
bool IsCipheredQuest(std::string_view fileName);
bool IsCompressedQuest(std::string_view fileName);

// The quest text in a quest file's bytes, told by the file's name: ".qs1" deciphered, ".qs3" decoded (nothing
// when it does not decode), any other as it is.
std::optional<std::string> QuestFileText(std::string_view fileName, std::string bytes);

struct IncludeRequest {
    std::string name;     // code page 1251, without its quotes: everything after the word on its line
    SourceOrigin at;      // where the word "include" stands
    bool allowed = true;  // within the limits; past them whatever the resolver answers is dropped
};

struct IncludeAnswer {
    enum class Kind { Nothing, Text, Abandon };
    Kind kind = Kind::Nothing;  // Abandon stops the whole read (a new load took over meanwhile)
    std::string text;           // the file's text as read, any line ends
    bool mayBeUtf8 = true;  // a file's text is converted from UTF-8 when it is UTF-8; a fetched one is not
    std::string file;       // how origins name it
};
using IncludeResolver = std::function<IncludeAnswer(const IncludeRequest&)>;

struct QuestSource {
    std::string text;                   // the program: its lines, separated by "\n"
    std::vector<SourceOrigin> origins;  // traced reads only: where each byte of `text` was written
    std::vector<std::string> files;     // the quest itself, then every included file in the order read
    bool abandoned = false;             // the resolver abandoned the read; `text` is then incomplete
};

struct QuestSourceOptions {
    std::string file;         // how origins name the quest file
    std::string questFolder;  // what "quest_path" stands for, code page 1251
    IncludeLimits limits;
    bool trace = false;  // fill QuestSource::origins
};

// Assembles the program from the quest file's text (as QuestFileText gives it). Only the quest's own text has
// its comments removed, its DOS text converted and its "_" lines joined; an included text is taken as it is,
// and expanded where it lands. The text is worked on where it lies: with two bytes of spare capacity a quest
// without includes is never held twice.
QuestSource ReadQuestSource(std::string text, const QuestSourceOptions& options,
                            const IncludeResolver& resolve);

}  // namespace tarvik::formats
