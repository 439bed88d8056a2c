#pragma once

#include <string>
#include <string_view>

#include "config/property_map.h"

namespace launcher {

// Adds the key=value lines of data to map: the first '=' splits, a line without one is both
// key and value, nothing is trimmed, the last occurrence of a key wins.
void parseProperties(PropertyMap& map, std::string_view data);

// Adds the lines of the file exeDir + fileName to map. A file that can't be opened leaves the
// map as it was, silently.
void loadPropertyFile(PropertyMap& map, const std::string& fileName);

// The value of key, or empty when the key is absent; valid while the map is unchanged.
const std::string& getProperty(const PropertyMap& map, std::string_view key);

bool hasProperty(const PropertyMap& map, std::string_view key);

}  // namespace launcher
