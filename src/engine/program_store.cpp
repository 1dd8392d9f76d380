#include "engine/program_store.h"

#include <algorithm>
#include <limits>

namespace tarvik {

namespace {

const std::string kCrLf = "\r\n";

}  // namespace

uint8_t ProgramStore::LineFlagsOf(std::string_view line) {
    uint8_t bits = 0;
    for (char c : line) {
        switch (c) {
            case ';':
                bits |= kLineSemicolon;
                break;
            case '&':
                bits |= kLineAmp;
                break;
            case '#':
                bits |= kLineHash;
                break;
            case '[':
                bits |= kLineBracket;
                break;
            default:
                break;
        }
    }
    if (text::ContainsNoCase(line, "<html>")) bits |= kLineHtml;
    return bits;
}

void ProgramStore::Assign(std::string text) {
    m_Starts.clear();
    m_Flags.clear();
    m_Labels.clear();
    m_LabelList.clear();
    m_LabelTails.clear();
    if (text.size() >= std::numeric_limits<uint32_t>::max()) text.clear();

    // Reserved exactly: a doubling list would hold two copies of its records at once.
    const size_t lines = static_cast<size_t>(std::count(text.begin(), text.end(), '\n')) + 1;
    std::vector<uint32_t>().swap(m_Starts);
    m_Starts.reserve(lines + 1);
    // The lines are moved together where they lie, each without its leading blanks and line end.
    size_t w = 0, labels = 0, labelBytes = 0;
    for (size_t r = 0;;) {
        size_t end = text.find('\n', r);
        const bool last = end == std::string::npos;
        if (last) end = text.size();
        while (r < end && text[r] == ' ') ++r;
        if (end > r && text[r] == ':') {
            ++labels;
            labelBytes += end - r + kCrLf.size();
        }
        std::copy(text.begin() + static_cast<long>(r), text.begin() + static_cast<long>(end),
                  text.begin() + static_cast<long>(w));
        m_Starts.push_back(static_cast<uint32_t>(w));
        w += end - r;
        if (last) break;
        r = end + 1;
    }
    m_Starts.push_back(static_cast<uint32_t>(w));
    text.resize(w);
    m_Text = std::move(text);

    m_Flags.resize(size());
    for (size_t i = 0; i < size(); ++i) m_Flags[i] = LineFlagsOf((*this)[i]);

    size_t slots = 16;
    while (2 * slots < 3 * labels) slots *= 2;
    m_Labels.assign(labels ? slots : 0, 0);
    m_LabelList.reserve(labelBytes);
    const text::NoCaseHash hash;
    for (uint32_t i = 0; i < size(); ++i) {
        const std::string_view line = (*this)[i];
        if (line.empty() || line[0] != ':') continue;
        const std::string_view key = LabelKey(i);
        m_LabelList += key;
        m_LabelList += kCrLf;
        for (size_t c = key.find(':', 1); c != std::string_view::npos; c = key.find(':', c + 1))
            m_LabelTails.emplace(key.substr(c));
        for (size_t s = hash(key) & (slots - 1);; s = (s + 1) & (slots - 1)) {
            if (m_Labels[s] == 0) {
                m_Labels[s] = i + 1;
                break;
            }
            if (text::EqualsNoCase(LabelKey(m_Labels[s] - 1), key)) break;  // the first one stays
        }
    }
}

std::string_view ProgramStore::LabelKey(uint32_t line) const {
    const std::string_view s = (*this)[line];
    const size_t e = s.find_last_not_of(' ');
    return e == std::string_view::npos ? std::string_view() : s.substr(0, e + 1);
}

int ProgramStore::LabelLine(std::string_view labelLine) const {
    if (m_Labels.empty()) return -1;
    const size_t mask = m_Labels.size() - 1;
    for (size_t s = text::NoCaseHash()(labelLine) & mask; m_Labels[s] != 0; s = (s + 1) & mask) {
        if (text::EqualsNoCase(LabelKey(m_Labels[s] - 1), labelLine))
            return static_cast<int>(m_Labels[s] - 1);
    }
    return -1;
}

bool ProgramStore::LabelListed(std::string_view label) const {
    if (label.find(kCrLf) == std::string_view::npos) {
        std::string key;
        key.reserve(label.size() + 1);
        key += ':';
        key += label;
        return LabelLine(key) >= 0 || (!m_LabelTails.empty() && m_LabelTails.count(key) != 0);
    }
    std::string line;
    line.reserve(label.size() + 3);
    line += ':';
    line += label;
    line += kCrLf;
    return text::FindNoCase(m_LabelList, line) != std::string::npos;
}

}  // namespace tarvik
