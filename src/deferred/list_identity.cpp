#include "deferred/list_identity.h"

#include "config/line_reader.h"
#include "config/property_file.h"
#include "platform/file_status.h"

namespace launcher {

std::uint64_t fingerprint(std::string_view bytes) {
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    for (const char byte : bytes) {
        hash ^= static_cast<unsigned char>(byte);
        hash *= 0x100000001b3ULL;
    }
    return hash;
}

std::optional<ListIdentity> identifyList(const std::string& path, const PropertyMap& loaded) {
    const std::optional<platform::FileStatus> before = platform::fileStatus(path);
    std::string bytes;
    if (!before || !readFileBytes(path, bytes))
        return std::nullopt;
    const std::optional<platform::FileStatus> after = platform::fileStatus(path);
    if (after != before || bytes.size() != before->size)
        return std::nullopt;
    PropertyMap reread;
    parseProperties(reread, bytes);
    if (reread != loaded)
        return std::nullopt;
    return ListIdentity{before->size, before->modificationTime, fingerprint(bytes)};
}

}  // namespace launcher
