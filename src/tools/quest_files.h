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

// Whole-file reading and writing for the tools (UTF-8 paths). ReadFileBytes is false for a missing file, a
// folder or a read error; WriteFileBytes replaces any existing file whole (a failed write leaves it as it
// was) and is false when it cannot.
bool ReadFileBytes(const std::string& path, std::string& bytes);
bool WriteFileBytes(const std::string& path, const void* data, size_t size);
// Why ReadFileBytes failed for `path`: SourceMissing when nothing is there, ReadFailed otherwise.
WriteStatus ReadProblem(const std::string& path);

// The writers' common course: reads the quest at `questPath`, turns its bytes with `convert` and writes the
// result to SiblingPath(questPath, extension).
WriteResult WriteConvertedQuest(const std::string& questPath, const std::string& extension,
                                const std::function<std::string(std::string)>& convert);

}  // namespace tarvik::tools
