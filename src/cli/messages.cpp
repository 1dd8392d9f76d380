#include "cli/messages.h"

#include <clocale>
#include <filesystem>
#include <system_error>

namespace tarvik::cli {

void SetUpMessages() {
    // Only the messages follow the locale, so the engine's number forms and letter cases stay as they are.
    std::setlocale(LC_MESSAGES, "");
    // No install prefix is compiled in, so an unpacked or moved copy finds its catalogue too; a build that
    // is not installed writes its catalogue at the same place relative to its program.
    std::error_code ec;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec) {
        std::filesystem::path dir = (exe.parent_path() / TARVIK_LOCALE_FROM_BIN).lexically_normal();
        bindtextdomain(kMessageDomain, dir.c_str());
    }
    // Quest text reaches the terminal as UTF-8 whatever the locale's code page, and so do these.
    bind_textdomain_codeset(kMessageDomain, "UTF-8");
    // The system's error texts (strerror, error_code messages) are translated by the C library under the same
    // locale; without this they would come out in the "C" character type's ASCII, transliterated.
    bind_textdomain_codeset("libc", "UTF-8");
}

}  // namespace tarvik::cli
