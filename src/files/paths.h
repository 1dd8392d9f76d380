// Quests written on Windows name their files with "\" and in any letter case; these helpers find the file the
// author meant on a case-sensitive file system with "/" separators.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tarvik {

// Turns "\" into "/" and, when the path does not exist as written, matches each component case-insensitively
// against the directory's entries. Returns the path as found, or the "/"-form of the input when nothing
// matches. Paths are UTF-8.
std::string ResolvePath(const std::string& utf8Path);

// The largest file ReadWholeFile reads unless told otherwise; a quest's own limits live in Limits.
constexpr uint64_t kDefaultMaxRead = uint64_t{256} << 20;

// Reads a whole file; false when it cannot be read or is larger than `maxSize` bytes. The size is checked
// before anything is read, so a huge (or sparse) file costs no memory, and only as many bytes as it had then
// are read: a file that grows meanwhile is cut there, one that shrinks keeps what was there. `spare` bytes of
// capacity are kept beyond the file for what the caller adds.
bool ReadWholeFile(const std::string& utf8Path, std::string& bytes, uint64_t maxSize = kDefaultMaxRead,
                   size_t spare = 0);

// True when the file exists and is larger than `maxSize` bytes.
bool FileLargerThan(const std::string& utf8Path, uint64_t maxSize);

// Removes temporary files that WriteFileAtomically left in `utf8Folder` when its process was killed
// mid-write (their writer no longer runs). Returns how many were removed.
int RemoveStaleTempFiles(const std::string& utf8Folder);

// Writes a whole file under a temporary name beside it, flushes it to the disk and renames it into place, so
// a failed write or a power cut never leaves a truncated file and an old file is replaced, never written
// through a link. False on failure, with
// the old file untouched and no temporary file left.
bool WriteFileAtomically(const std::string& utf8Path, std::string_view bytes);

}  // namespace tarvik
