#include "files/paths.h"

#include <filesystem>
#include <fstream>
#include <system_error>

#include <cerrno>
#include <climits>

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include "text/text.h"

namespace fs = std::filesystem;

namespace tarvik {

namespace {

bool SameNameNoCase(const std::string& a, const std::string& b) {
    return text::EqualsNoCase(text::Utf8ToCp1251(a), text::Utf8ToCp1251(b));
}

}  // namespace

std::string ResolvePath(const std::string& utf8Path) {
    std::string p = utf8Path;
    for (char& c : p)
        if (c == '\\') c = '/';
    std::error_code ec;
    if (p.empty() || fs::exists(p, ec)) return p;
    // No file has a longer path; walking its components one by one would take quadratic time.
    if (p.size() > PATH_MAX) return p;

    // Walk the components, keeping exact matches and falling back to a case-insensitive one.
    fs::path in(p);
    fs::path out = in.has_root_directory() ? in.root_path() : fs::path();
    for (const auto& part : in.relative_path()) {
        std::string name = part.string();
        fs::path base = out.empty() ? fs::path(".") : out;
        fs::path exact = out / part;
        if (name.empty() || name == "." || name == ".." || fs::exists(exact, ec)) {
            out = exact;
            continue;
        }
        bool found = false;
        for (fs::directory_iterator it(base, ec), end; !ec && it != end; it.increment(ec)) {
            std::string entry = it->path().filename().string();
            if (SameNameNoCase(entry, name)) {
                out /= entry;
                found = true;
                break;
            }
        }
        if (!found) return p;
    }
    return out.string();
}

bool ReadWholeFile(const std::string& utf8Path, std::string& bytes, uint64_t maxSize, size_t spare) {
    std::error_code ec;
    if (!fs::is_regular_file(utf8Path, ec)) return false;
    const uintmax_t fileSize = fs::file_size(utf8Path, ec);
    if (ec || fileSize > maxSize) return false;
    std::ifstream in(utf8Path, std::ios::binary | std::ios::ate);
    if (!in) return false;
    const std::streamoff size = in.tellg();
    if (size < 0 || static_cast<uint64_t>(size) > maxSize) return false;
    bytes.clear();
    bytes.reserve(static_cast<size_t>(size) + spare);
    bytes.resize(static_cast<size_t>(size));
    in.seekg(0);
    in.read(bytes.data(), size);
    // A file that shrank while being read keeps what was there.
    bytes.resize(static_cast<size_t>(in.gcount()));
    return !in.bad();
}

bool FileLargerThan(const std::string& utf8Path, uint64_t maxSize) {
    std::error_code ec;
    const uintmax_t size = fs::file_size(utf8Path, ec);
    return !ec && size > maxSize;
}

int RemoveStaleTempFiles(const std::string& utf8Folder) {
    int removed = 0;
    std::error_code ec;
    for (fs::directory_iterator it(utf8Folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        const size_t mark = name.rfind(".part");
        if (mark == std::string::npos || mark == 0 || mark + 5 == name.size()) continue;
        const std::string digits = name.substr(mark + 5);
        // Only the kinds of file the player writes: a stranger's "notes.part1" is left alone.
        const std::string_view kind = std::string_view(name).substr(0, mark);
        bool ours = false;
        for (std::string_view ext : {".qsv", ".ini", ".qs1", ".qs3"})
            ours = ours || (kind.size() > ext.size() &&
                            text::EqualsNoCase(kind.substr(kind.size() - ext.size()), ext));
        if (!ours) continue;
        if (digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string::npos) continue;
        const pid_t writer = static_cast<pid_t>(std::stol(digits));
        // A writer that still runs (another copy of the player saving right now) keeps its file.
        if (writer <= 0 || (::kill(writer, 0) == 0 || errno == EPERM)) continue;
        std::error_code typeEc;
        if (!it->is_regular_file(typeEc)) continue;
        std::error_code rmEc;
        if (fs::remove(it->path(), rmEc)) ++removed;
    }
    return removed;
}

bool WriteFileAtomically(const std::string& utf8Path, std::string_view bytes) {
    fs::path target(utf8Path);
    std::error_code ec;
    if (fs::is_directory(target, ec)) return false;
    fs::path temp = target;
    temp += ".part" + std::to_string(::getpid());
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (fd < 0) return false;
    bool ok = true;
    for (size_t done = 0; ok && done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        ok = n > 0;
        if (ok) done += static_cast<size_t>(n);
    }
    // On the disk before the rename: a power cut must leave the old file or the whole new one, never an
    // empty file under the old name.
    ok = ok && ::fdatasync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (ok) fs::rename(temp, target, ec);
    if (!ok || ec) {
        fs::remove(temp, ec);
        return false;
    }
    return true;
}

}  // namespace tarvik
