// Arbitrary bytes as the settings file: reading must not crash, and what it reads must be written back as a
// file that reads the same.
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
    const auto always = [](const std::string&) { return true; };
    const std::string written = tarvik::shell::WriteSettings(first, always);
    ShellSettings second;
    tarvik::shell::ReadSettings(written, second);
    if (tarvik::shell::WriteSettings(second, always) != written) std::abort();
    return 0;
}
