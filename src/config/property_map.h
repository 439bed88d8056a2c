#pragma once

#include <functional>
#include <map>
#include <string>

namespace launcher {

// One key=value file: keys unique, in plain byte-wise order.
using PropertyMap = std::map<std::string, std::string, std::less<>>;

}  // namespace launcher
