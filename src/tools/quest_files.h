// What the quest file tools report back to their callers (the dialogs and tarvik-cli): which step of writing
// a ciphered or compressed quest failed, and where the result went. Each caller words its own message.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace tarvik::tools {

enum class WriteStatus {
    Ok,
    SourceMissing,  // the quest file does not exist
    ReadFailed,     // it exists but cannot be read (a folder, no permission)
    WriteFailed,    // the output file cannot be replaced or written
};

struct WriteResult {
    WriteStatus status = WriteStatus::Ok;
    std::string outputPath;  // the output path the naming rule gave (set even when writing failed)
    bool ok() const { return status == WriteStatus::Ok; }
};

// The output name of both writers: the path up to and including the last "." of its file name, then
// `extension` (no dot). "dir/quest.qst" gives "dir/quest.qs1"; a file name without "." gets "." and
// `extension` appended ("old.dir/quest" gives "old.dir/quest.qs1").
std::string SiblingPath(const std::string& path, const std::string& extension);

// Why `path` could not be read: SourceMissing when nothing is there, ReadFailed otherwise.
WriteStatus ReadProblem(const std::string& path);

// The writers' common course: reads the quest at `questPath`, turns its bytes with `convert` and writes the
// result to SiblingPath(questPath, extension).
WriteResult WriteConvertedQuest(const std::string& questPath, const std::string& extension,
                                const std::function<std::string(std::string)>& convert);

// The cipher dialog's and `tarvik-cli encipher`'s writer: reads the plain quest at `questPath` (UTF-8 file
// system path), writes EncipherQuestFile of it to SiblingPath(questPath, "qs1"), replacing any file there.
WriteResult WriteCipheredQuest(const std::string& questPath);

// The compression dialog's and `tarvik-cli compress`'s writer: encodes the quest at `questPath` and writes
// it to SiblingPath(questPath, "qs3"), replacing any file there.
WriteResult WriteCompressedQuest(const std::string& questPath);

// If `source` exists, replaces `dest` by its HE3 form; does nothing when it does not exist. UTF-8 paths.
// False when reading or writing fails (a missing source is not a failure).
bool CompressFile(const std::string& source, const std::string& dest);
// The same decoding. Throws formats::HuffmanError for corrupt input (`dest` is then left untouched).
bool UncompressFile(const std::string& source, const std::string& dest);

}  // namespace tarvik::tools
