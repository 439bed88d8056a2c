#include "config/resource_string.h"

#include "config/process_state.h"
#include "platform/libraries_and_texts.h"

namespace launcher {

std::string loadResourceString(unsigned id) {
    // An absent text reads as empty (a box without a caption).
    return platform::builtinText(appInstance, id).value_or(std::string());
}

}  // namespace launcher
