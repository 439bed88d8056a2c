// Windows only: the process command line as CommandLineToArgvW splits it.
#include <windows.h>
// shellapi.h needs the types of windows.h first.
#include <shellapi.h>

#include "platform/process_arguments.h"

namespace platform {

void recordProcessArguments(int /*argc*/, char** /*argv*/) {}

std::vector<std::u16string> processArguments() {
    int count = 0;
    LPWSTR* values = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::u16string> arguments;
    if (values == nullptr)
        return arguments;
    arguments.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        arguments.emplace_back(reinterpret_cast<const char16_t*>(values[i]));
    }
    LocalFree(values);
    return arguments;
}

}  // namespace platform
