// The terminal player's own words (prompts, help, messages, errors) come from a gettext catalogue in the
// language of the locale's LC_MESSAGES; English is the source language. Quest texts and the captions of the
// quest's dialogs are not translated.
#pragma once

#include <libintl.h>

#include <cstdio>
#include <string>

namespace tarvik::cli {

inline constexpr char kMessageDomain[] = "tarvik-cli";

// Follows the locale for messages only and finds the catalogue relative to the program. Call once, first.
void SetUpMessages();

// The player's text in the locale's language, UTF-8.
inline const char* _(const char* english) {
    return dgettext(kMessageDomain, english);
}
inline const char* _n(const char* one, const char* many, unsigned long n) {
    return dngettext(kMessageDomain, one, many, n);
}

namespace detail {
inline const char* FormatArg(const std::string& s) {
    return s.c_str();
}
template <typename T>
T FormatArg(T v) {
    return v;
}
}  // namespace detail

// printf-style, so translations are checked for matching conversions when the catalogue is built.
template <typename... Args>
std::string Format(const char* pattern, const Args&... args) {
    int n = std::snprintf(nullptr, 0, pattern, detail::FormatArg(args)...);
    if (n <= 0) return {};
    std::string s(static_cast<size_t>(n), '\0');
    std::snprintf(s.data(), s.size() + 1, pattern, detail::FormatArg(args)...);
    return s;
}

}  // namespace tarvik::cli
