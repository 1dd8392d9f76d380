// A small JSON writer for the state dump. Keys and values are written in the order given; strings that come
// from the engine are code page 1251 and leave here as UTF-8.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "text/text.h"

namespace tarvik::cli {

// The shortest text that reads back as the same number: integers without a fraction, a Single value by its
// float form (0.1 written as a Single is "0.1", not the double expansion of that float). Non-finite values,
// which JSON cannot carry, become null.
std::string JsonNumber(double v, text::NumKind kind = text::NumKind::Double);

// A quoted, escaped JSON string of UTF-8 text.
std::string JsonQuote(std::string_view utf8);

class JsonWriter {
public:
    void BeginObject();
    void EndObject();
    void BeginArray();
    void EndArray();
    void Key(std::string_view utf8Key);
    // A code page 1251 string.
    void String(std::string_view cp1251);
    void Utf8String(std::string_view utf8);
    void Number(double v, text::NumKind kind = text::NumKind::Double);
    void Bool(bool b);
    void Null();

    const std::string& str() const { return m_Out; }

private:
    void BeforeValue();

    std::string m_Out;
    // One entry per open object or array: true until its first element is written.
    std::vector<bool> m_First;
    bool m_AfterKey = false;
};

}  // namespace tarvik::cli
