// The .qs1 cipher.
#include "formats/cipher.h"

namespace tarvik::formats {

std::string QuestCipher(std::string_view text) {
    std::string out(text);
    QuestCipherInPlace(out);
    return out;
}

void QuestCipherInPlace(std::string& text) {
    for (char& ch : text) {
        unsigned c = static_cast<unsigned char>(ch);
        if (c >= 32) ch = static_cast<char>(287 - c);
    }
}

std::string EncipherQuestFile(std::string_view plainBytes) {
    std::string out;
    out.reserve(plainBytes.size() + plainBytes.size() / 16 + 4);
    size_t start = 0;
    while (start < plainBytes.size()) {
        size_t lf = plainBytes.find('\n', start);
        size_t next = lf == std::string_view::npos ? plainBytes.size() : lf + 1;
        size_t end = lf == std::string_view::npos ? plainBytes.size() : lf;
        if (lf != std::string_view::npos && end > start && plainBytes[end - 1] == '\r') --end;
        out += QuestCipher(plainBytes.substr(start, end - start));
        out += "\r\n";
        start = next;
    }
    out += "\r\n";
    return out;
}

}  // namespace tarvik::formats
