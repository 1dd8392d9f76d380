// Paths and whole-file input and output shared by the quest file tools.
#include "tools/quest_files.h"

#include <filesystem>
#include <system_error>
#include <utility>

#include "files/paths.h"
#include "formats/cipher.h"
#include "formats/huffman.h"

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
    if (!ReadWholeFile(questPath, bytes)) {
        result.status = ReadProblem(questPath);
        return result;
    }
    const std::string converted = convert(std::move(bytes));
    if (!WriteFileAtomically(result.outputPath, converted)) result.status = WriteStatus::WriteFailed;
    return result;
}

WriteResult WriteCipheredQuest(const std::string& questPath) {
    return WriteConvertedQuest(questPath, "qs1",
                               [](std::string plain) { return formats::EncipherQuestFile(plain); });
}

WriteResult WriteCompressedQuest(const std::string& questPath) {
    return WriteConvertedQuest(questPath, "qs3", [](std::string bytes) {
        formats::clsHuffman().EncodeString(bytes);
        return bytes;
    });
}

bool CompressFile(const std::string& source, const std::string& dest) {
    std::string bytes;
    if (!ReadWholeFile(source, bytes)) return ReadProblem(source) == WriteStatus::SourceMissing;
    formats::clsHuffman().EncodeString(bytes);
    return WriteFileAtomically(dest, bytes);
}

bool UncompressFile(const std::string& source, const std::string& dest) {
    std::string bytes;
    if (!ReadWholeFile(source, bytes)) return ReadProblem(source) == WriteStatus::SourceMissing;
    formats::clsHuffman().DecodeString(bytes);
    return WriteFileAtomically(dest, bytes);
}

}  // namespace tarvik::tools
