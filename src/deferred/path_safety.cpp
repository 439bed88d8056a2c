#include "deferred/path_safety.h"

namespace launcher {

bool leavesLauncherDirectory(std::string_view path, char separator) {
    const char separators[] = {'/', separator};
    const std::string_view anySeparator(separators, 2);
    int depth = 0;
    while (true) {
        const std::size_t end = path.find_first_of(anySeparator);
        const std::string_view part = path.substr(0, end);
        if (part == "..") {
            if (--depth < 0)
                return true;
        } else if (!part.empty() && part != ".") {
            ++depth;
        }
        if (end == std::string_view::npos)
            return false;
        path.remove_prefix(end + 1);
    }
}

}  // namespace launcher
