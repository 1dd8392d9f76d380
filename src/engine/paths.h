// Quests written on Windows name their files with "\" and in any letter case; these helpers find the file the
// author meant on a case-sensitive file system with "/" separators.
#pragma once

#include <string>
#include <string_view>

namespace tarvik {

// Turns "\" into "/" and, when the path does not exist as written, matches each component case-insensitively
// against the directory's entries. Returns the path as found, or the "/"-form of the input when nothing
// matches. Paths are UTF-8.
std::string ResolvePath(const std::string& utf8Path);

// Reads a whole file; false when it cannot be read.
bool ReadWholeFile(const std::string& utf8Path, std::string& bytes);

// Writes a whole file under a temporary name beside it and renames it into place, so a failed write never
// leaves a truncated file and an old file is replaced, never written through a link. False on failure, with
// the old file untouched and no temporary file left.
bool WriteFileAtomically(const std::string& utf8Path, std::string_view bytes);

}  // namespace tarvik
