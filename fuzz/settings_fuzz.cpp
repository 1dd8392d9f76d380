// Arbitrary bytes as the settings file: reading and writing back must not crash, and no value read may be
// longer than a settings line.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "shell/settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using tarvik::shell::ShellSettings;
    ShellSettings first;
    tarvik::shell::ReadSettings(std::string(reinterpret_cast<const char*>(data), size), first);
    for (const std::string& path : first.RecentFiles)
        if (path.size() > tarvik::shell::kMaxSettingsLine * 3) std::abort();  // UTF-8 of a bounded line
    // What was read is written back (a recent path may itself hold a key, so the file need not read back the
    // same: the format has always allowed that).
    const std::string written = tarvik::shell::WriteSettings(first, [](const std::string&) { return true; });
    ShellSettings second;
    tarvik::shell::ReadSettings(written, second);
    return 0;
}
