#include "deferred/list_identity.h"

#include "config/line_reader.h"
#include "config/property_file.h"
#include "platform/files_and_directories.h"

namespace launcher {

std::uint64_t fingerprint(std::string_view bytes, std::uint64_t start) {
    std::uint64_t hash = start;
    for (const char byte : bytes) {
        hash ^= static_cast<unsigned char>(byte);
        hash *= 0x100000001b3ULL;
    }
    return hash;
}

std::optional<ListIdentity> loadList(const std::string& path, PropertyMap& into) {
    const std::optional<platform::FileStatus> before = platform::fileStatus(path);
    std::string bytes;
    if (!readFileBytes(path, bytes, largestList) || bytes.size() > largestList)
        return std::nullopt;
    parseProperties(into, bytes);
    const std::optional<platform::FileStatus> after = platform::fileStatus(path);
    if (!before || after != before || bytes.size() != before->size)
        return std::nullopt;
    return ListIdentity{before->size, fingerprint(bytes)};
}

}  // namespace launcher
