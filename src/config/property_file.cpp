#include "config/property_file.h"

#include "config/line_reader.h"
#include "config/process_state.h"

namespace launcher {

void parseProperties(PropertyMap& map, std::string_view data) {
    for (const std::string_view line : splitLines(data)) {
        const std::size_t equals = line.find('=');
        const std::string_view key =
            equals == std::string_view::npos ? line : line.substr(0, equals);
        const std::string_view value =
            equals == std::string_view::npos ? line : line.substr(equals + 1);
        map.insert_or_assign(std::string(key), std::string(value));
    }
}

void loadPropertyFile(PropertyMap& map, const std::string& fileName) {
    std::string bytes;
    if (!readFileBytes(exeDir + fileName, bytes))
        return;
    parseProperties(map, bytes);
}

const std::string& getProperty(const PropertyMap& map, std::string_view key) {
    static const std::string absent;
    const auto found = map.find(key);
    return found == map.end() ? absent : found->second;
}

bool hasProperty(const PropertyMap& map, std::string_view key) {
    return map.contains(key);
}

}  // namespace launcher
