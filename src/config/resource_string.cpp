#include "config/resource_string.h"

#include "config/process_state.h"
#include "platform/libraries_and_texts.h"

namespace launcher {

std::string loadResourceString(unsigned id) {
    return platform::builtinText(appInstance, id);
}

}  // namespace launcher
