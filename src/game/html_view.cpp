// The HTML view: switching it on and off, and showing the collected page when the page is ready.
#include <filesystem>
#include <system_error>

#include "engine/engine.h"

namespace tarvik {

void Engine::SetHtmlView(const std::string& arg) {
    m_Frame1Visible = text::EqualsNoCase(text::Trim(arg), "true");
    Changed(kScreenHtml);
}

void Engine::ShowHtml() {
    if (!m_Frame1Visible || m_HtmlBuffer.empty()) return;
    std::string page = m_HtmlBuffer + "\r\n";
    std::string file = m_PageFolder.Write(page);
    // The buffer is kept for the next showing when the page cannot be written.
    if (file.empty()) throw QuestError("ShowHtml: the page file cannot be written");
    m_HtmlBuffer.clear();
    // Relative links and pictures resolve against the quest's folder, whatever the working folder.
    std::error_code ec;
    std::string base = std::filesystem::absolute(m_QuestFolderNative.empty() ? "." : m_QuestFolderNative, ec)
                           .lexically_normal();
    if (ec) base = m_QuestFolderNative;
    if (base.empty() || base.back() != '/') base += '/';
    m_Host.ShowHtmlPage(page, file, base);
}

}  // namespace tarvik
