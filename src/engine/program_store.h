// The program store: the quest's lines as the loader assembled them, held in one buffer, with the label index
// and what each line holds of what the run loop looks for.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "text/text.h"

namespace tarvik {

class ProgramStore {
public:
    // What a line holds of what the run loop looks for ("<html>", ";", "&", "#", "["), found once at load; a
    // line without one skips that step's search. Lines not from the store claim every bit.
    enum LineBits : uint8_t {
        kLineHtml = 1,
        kLineSemicolon = 2,
        kLineAmp = 4,
        kLineHash = 8,
        kLineBracket = 16
    };
    static constexpr uint8_t kLineAll = 0xff;
    static uint8_t LineFlagsOf(std::string_view line);

    // Takes the program text, its lines separated by "\n", as the store: each line without its leading
    // blanks. A text of 4 GiB or more is refused and leaves the store empty.
    void Assign(std::string text);
    void Clear() { Assign(std::string()); }

    size_t size() const { return m_Starts.empty() ? 0 : m_Starts.size() - 1; }
    bool empty() const { return size() == 0; }
    std::string_view operator[](size_t i) const {
        return std::string_view(m_Text).substr(m_Starts[i], m_Starts[i + 1] - m_Starts[i]);
    }
    uint8_t flags(size_t i) const { return m_Flags[i]; }

    // The line of the first label line that reads `labelLine` (without trailing blanks), letter case
    // ignored; -1 when there is none.
    int LabelLine(std::string_view labelLine) const;
    // A label exists when its line is among the label lines; those are stored without trailing blanks, so a
    // label written with a blank before its comma is never found.
    bool LabelListed(std::string_view label) const;
    // Every label line without its trailing blanks, each followed by CR LF, in program order.
    const std::string& labelList() const { return m_LabelList; }

    class const_iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = std::string_view;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = std::string_view;
        const_iterator(const ProgramStore* store, size_t i) : m_Store(store), m_I(i) {}
        std::string_view operator*() const { return (*m_Store)[m_I]; }
        const_iterator& operator++() {
            ++m_I;
            return *this;
        }
        const_iterator operator++(int) {
            const_iterator old = *this;
            ++m_I;
            return old;
        }
        bool operator==(const const_iterator& o) const { return m_I == o.m_I; }

    private:
        const ProgramStore* m_Store;
        size_t m_I;
    };
    const_iterator begin() const { return {this, 0}; }
    const_iterator end() const { return {this, size()}; }

private:
    std::string_view LabelKey(uint32_t line) const;

    std::string m_Text;              // every line back to back
    std::vector<uint32_t> m_Starts;  // where each line starts, then where the last one ends
    std::vector<uint8_t> m_Flags;
    // Open addressing over the first line of each label: a slot holds its line + 1, or 0 when free.
    std::vector<uint32_t> m_Labels;
    std::string m_LabelList;
    // Every text a label line holds from a ":" after its first to its end. A label is on the label list
    // exactly when ":" + label + CR LF occurs there, that is when it is a label line or one of these (unless
    // it spans lines itself).
    std::unordered_set<std::string, text::NoCaseHash, text::NoCaseEqual> m_LabelTails;
};

}  // namespace tarvik
