// Network include: text for an "include http://..." line, fetched only after the player has agreed twice.
#include <algorithm>

#include "engine/engine.h"

namespace tarvik {

namespace {

// The most a network include may bring; the piece that crosses the mark is kept whole.
constexpr size_t kMaxNetInclude = 100000;

constexpr int kYesNo = 4;
constexpr int kCritical = 16;

std::string W(const char* utf8) {
    return text::Utf8ToCp1251(utf8);
}

}  // namespace

bool Engine::IsOnline() {
    return m_Http && m_Http->IsOnline();
}

std::string Engine::NetInclude(const std::string& address) {
    if (!m_Http) return {};
    const uint32_t game = m_Game;
    // A new game, another quest or closing the window while we ask or wait abandons the include.
    auto replaced = [&] { return m_Stopping || m_Game != game; };

    std::string ask = W("Попытка загрузки из сети файла ") + '"' + address + '"' + W("! Точно грузить?");
    if (Ask(ask, W("Может все-таки это вирус?"), kYesNo) != kAnswerYes || replaced()) return {};

    if (!IsOnline()) {
        m_Host.MessageBox(W("Нет инета"), W("Облом"), kCritical);
        return {};
    }

    HttpProbe probe = m_Http->Probe(text::Cp1251ToUtf8(address), [&] {
        m_Host.ProcessEvents();
        return !replaced();
    });
    if (!probe.ok || replaced()) return {};
    m_IncludeSize = probe.announced ? static_cast<int32_t>(std::min<uint64_t>(probe.length, INT32_MAX)) : 0;

    if (probe.announced && probe.length > kMaxNetInclude) {
        m_IncludeSize = 0;
        m_Host.MessageBox(W("Размер файла больше 100кб! Это же вам не менеджер закачек!"), std::string(), 0);
        return {};
    }

    std::string size = probe.announced ? std::to_string(probe.length) : std::string("?");
    std::string confirm = W("Размер файла: ") + size + W(" байт! Подтверждаете загрузку?");
    if (Ask(confirm, W("Ооххх.."), kYesNo) != kAnswerYes || replaced()) {
        m_IncludeSize = 0;
        return {};
    }
    return FetchUrl(address);
}

std::string Engine::FetchUrl(const std::string& address) {
    std::string received;
    if (!m_Http) return received;
    const uint32_t game = m_Game;
    auto replaced = [&] { return m_Stopping || m_Game != game; };

    // The client stops at the cap itself; a piece arriving past it anyway is not taken.
    bool capped = false;
    auto sink = [&](std::string_view piece) {
        if (received.size() > kMaxNetInclude) {
            capped = true;
            return false;
        }
        received.append(piece);
        if (m_IncludeSize > 0) {
            uint64_t percent =
                static_cast<uint64_t>(received.size()) * 100 / static_cast<uint64_t>(m_IncludeSize);
            m_Host.SetCaption(W("Принято: ") + std::to_string(percent) + "%");
        }
        // The window stays usable between pieces, whether or not the size is known.
        m_Host.ProcessEvents();
        return !replaced();
    };
    auto keepGoing = [&] {
        m_Host.ProcessEvents();
        return !replaced();
    };
    bool complete = m_Http->Get(text::Cp1251ToUtf8(address), kMaxNetInclude, sink, keepGoing);

    m_Host.RestoreCaption();
    m_IncludeSize = 0;
    if ((!complete && !capped) || replaced()) received.clear();
    return received;
}

}  // namespace tarvik
