#include "cli/json.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>

namespace tarvik::cli {

namespace {

// Whole numbers within this bound are exact in a double and print as plain integers rather than in the
// exponent form that the shortest representation picks for values like 1000000.
constexpr double kExactIntegerBound = 9007199254740992.0;  // 2^53

template <typename T>
std::string Shortest(T v) {
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, res.ptr);
}

}  // namespace

std::string JsonNumber(double v, text::NumKind kind) {
    if (!std::isfinite(v)) return "null";
    if (kind == text::NumKind::Single) {
        float f = static_cast<float>(v);
        if (!std::isfinite(f)) return "null";
        v = f;
        if (v == std::trunc(v) && std::fabs(v) < kExactIntegerBound) return Shortest(static_cast<int64_t>(v));
        return Shortest(f);
    }
    if (v == std::trunc(v) && std::fabs(v) < kExactIntegerBound) return Shortest(static_cast<int64_t>(v));
    return Shortest(v);
}

std::string JsonQuote(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size() + 2);
    out += '"';
    for (char ch : utf8) {
        auto c = static_cast<unsigned char>(ch);
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\b':
                out += "\\b";
                break;
            case '\f':
                out += "\\f";
                break;
            default:
                if (c < 0x20) {
                    char buf[8];
                    std::snprintf(buf, sizeof buf, "\\u%04x", c);
                    out += buf;
                } else {
                    out += ch;
                }
        }
    }
    out += '"';
    return out;
}

void JsonWriter::BeforeValue() {
    if (m_AfterKey) {
        m_AfterKey = false;
        return;
    }
    if (!m_First.empty()) {
        if (!m_First.back()) m_Out += ',';
        m_First.back() = false;
    }
}

void JsonWriter::BeginObject() {
    BeforeValue();
    m_Out += '{';
    m_First.push_back(true);
}

void JsonWriter::EndObject() {
    m_First.pop_back();
    m_Out += '}';
}

void JsonWriter::BeginArray() {
    BeforeValue();
    m_Out += '[';
    m_First.push_back(true);
}

void JsonWriter::EndArray() {
    m_First.pop_back();
    m_Out += ']';
}

void JsonWriter::Key(std::string_view utf8Key) {
    BeforeValue();
    m_Out += JsonQuote(utf8Key);
    m_Out += ':';
    m_AfterKey = true;
}

void JsonWriter::String(std::string_view cp1251) {
    Utf8String(text::Cp1251ToUtf8(cp1251));
}

void JsonWriter::Utf8String(std::string_view utf8) {
    BeforeValue();
    m_Out += JsonQuote(utf8);
}

void JsonWriter::Number(double v, text::NumKind kind) {
    BeforeValue();
    m_Out += JsonNumber(v, kind);
}

void JsonWriter::Bool(bool b) {
    BeforeValue();
    m_Out += b ? "true" : "false";
}

void JsonWriter::Null() {
    BeforeValue();
    m_Out += "null";
}

}  // namespace tarvik::cli
