// The private folder the HTML view writes its page file in.
#include "files/page_folder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <vector>

namespace tarvik {

namespace {

std::string TempRoot() {
    const char* env = std::getenv("TMPDIR");
    std::string root = env && *env == '/' ? env : "/tmp";
    while (root.size() > 1 && root.back() == '/') root.pop_back();
    return root;
}

bool WriteAll(int fd, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

}  // namespace

HtmlPageFolder::~HtmlPageFolder() {
    if (m_Folder.empty() || !StillPrivate()) return;
    std::error_code ec;
    std::filesystem::remove_all(m_Folder, ec);
}

bool HtmlPageFolder::StillPrivate() const {
    struct stat st {};
    return ::lstat(m_Folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() &&
           (st.st_mode & 077) == 0;
}

std::string HtmlPageFolder::Write(const std::string& bytes) {
    // A folder that was removed or tampered with meanwhile is left alone and replaced by a fresh one.
    if (!m_Folder.empty() && !StillPrivate()) m_Folder.clear();
    if (m_Folder.empty()) {
        std::string pattern = TempRoot() + "/tarvik-XXXXXX";
        std::vector<char> name(pattern.begin(), pattern.end());
        name.push_back('\0');
        if (!::mkdtemp(name.data())) return {};
        m_Folder = name.data();
        ::chmod(m_Folder.c_str(), 0700);
    }
    std::string tmpPattern = m_Folder + "/.page-XXXXXX";
    std::vector<char> tmp(tmpPattern.begin(), tmpPattern.end());
    tmp.push_back('\0');
    int fd = ::mkstemp(tmp.data());
    if (fd < 0) return {};
    bool ok = WriteAll(fd, bytes);
    ok = ::close(fd) == 0 && ok;
    const std::string page = m_Folder + "/" + kPageName;
    if (!ok || ::rename(tmp.data(), page.c_str()) != 0) {
        ::unlink(tmp.data());
        return {};
    }
    return page;
}

}  // namespace tarvik
