// The folder the HTML view writes its page file in.
#pragma once

#include <string>

namespace tarvik {

// A folder of the player's own under $TMPDIR (or /tmp), made on first use with a random name and mode 0700,
// removed with its contents when the owner goes. A page file under a fixed name in the shared temporary
// folder would let another user plant a link there and have the player overwrite, or show, a file of theirs.
class HtmlPageFolder {
public:
    static constexpr const char* kPageName = "q.html";

    HtmlPageFolder() = default;
    ~HtmlPageFolder();
    HtmlPageFolder(const HtmlPageFolder&) = delete;
    HtmlPageFolder& operator=(const HtmlPageFolder&) = delete;

    // Writes `bytes` as the page file, replacing the one before (a new file renamed into place, so nothing
    // found at that name is ever followed). Returns the file's path, or empty when no private folder can be
    // made or the file cannot be written.
    std::string Write(const std::string& bytes);

    // The private folder, with no trailing "/"; empty until the first page is written.
    const std::string& folder() const { return m_Folder; }

private:
    // Still a real folder of ours that no one else may enter.
    bool StillPrivate() const;

    std::string m_Folder;
};

}  // namespace tarvik
