#include "platform/narrow_path.h"

namespace platform {

namespace {

std::size_t directoryLength(const std::string& path) {
    const std::size_t last = path.find_last_of("/\\");
    return last == std::string::npos ? 0 : last + 1;
}

}  // namespace

std::optional<std::string> chooseNarrowPath(
    const std::optional<std::string>& longForm,
    const std::function<std::optional<std::string>()>& shortForm) {
    if (longForm && directoryLength(*longForm) + roomForNamesBelow < narrowPathLimit)
        return longForm;
    std::optional<std::string> shorter = shortForm();
    if (shorter && !shorter->empty() && (!longForm || shorter->size() < longForm->size()))
        return shorter;
    return longForm;
}

}  // namespace platform
