// The property-file reader on arbitrary bytes: it must not crash, and what it stores must obey
// the format (no line feed in a key or value, nothing after a Ctrl+Z, values split at the first
// '=' only).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "config/property_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    launcher::PropertyMap map;
    launcher::parseProperties(map, bytes);
    const std::size_t end = bytes.find('\x1A');
    const std::string_view visible = end == std::string_view::npos ? bytes : bytes.substr(0, end);
    for (const auto& [key, value] : map) {
        if (key.find('\n') != std::string::npos || value.find('\n') != std::string::npos)
            std::abort();
        if (key.find('\x1A') != std::string::npos || value.find('\x1A') != std::string::npos)
            std::abort();
        if (key.find('=') != std::string::npos)
            std::abort();
        if (key.size() > visible.size() || value.size() > visible.size())
            std::abort();
    }
    return 0;
}
