// Paths and whole-file input and output shared by the quest file tools.
#include "tools/quest_files.h"

#include <filesystem>
#include <fstream>
#include <system_error>
#include <utility>

#include "engine/paths.h"

namespace tarvik::tools {

std::string SiblingPath(const std::string& path, const std::string& extension) {
    // Only a dot in the file's own name counts: cutting at a folder's dot, or writing a bare "qs1" into
    // whatever the current folder is, would put the result where nobody looks and could replace a stranger.
    size_t slash = path.find_last_of("/\\");
    size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return path + "." + extension;
    return path.substr(0, dot + 1) + extension;
}

bool ReadFileBytes(const std::string& path, std::string& bytes) {
    bytes.clear();
    std::error_code ec;
    std::filesystem::path p(path);
    if (!std::filesystem::is_regular_file(p, ec)) return false;
    if (FileLargerThan(path, kDefaultMaxRead)) return false;
    std::ifstream in(p, std::ios::binary);
    if (!in) return false;
    in.seekg(0, std::ios::end);
    std::streamoff size = in.tellg();
    if (size < 0) return false;
    in.seekg(0, std::ios::beg);
    bytes.resize(static_cast<size_t>(size));
    if (size > 0 && !in.read(bytes.data(), size)) {
        bytes.clear();
        return false;
    }
    // A file that grew since its size was taken is read whole all the same, up to the limit.
    char more[4096];
    while (in.read(more, sizeof more) || in.gcount() > 0) {
        bytes.append(more, static_cast<size_t>(in.gcount()));
        if (bytes.size() > kDefaultMaxRead) {
            bytes.clear();
            return false;
        }
    }
    return true;
}

bool WriteFileBytes(const std::string& path, const void* data, size_t size) {
    return WriteFileAtomically(path, std::string_view(static_cast<const char*>(data), size));
}

WriteStatus ReadProblem(const std::string& path) {
    std::error_code ec;
    return std::filesystem::exists(std::filesystem::path(path), ec) ? WriteStatus::ReadFailed
                                                                    : WriteStatus::SourceMissing;
}

WriteResult WriteConvertedQuest(const std::string& questPath, const std::string& extension,
                                const std::function<std::string(std::string)>& convert) {
    WriteResult result;
    result.outputPath = SiblingPath(questPath, extension);
    std::string bytes;
    if (!ReadFileBytes(questPath, bytes)) {
        result.status = ReadProblem(questPath);
        return result;
    }
    const std::string converted = convert(std::move(bytes));
    if (!WriteFileBytes(result.outputPath, converted.data(), converted.size()))
        result.status = WriteStatus::WriteFailed;
    return result;
}

}  // namespace tarvik::tools
