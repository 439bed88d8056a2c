#include "jvm/jvm_options.h"

#include <cstdlib>
#include <new>

#include "classpath/class_path_builder.h"
#include "config/leading_int.h"
#include "config/property_file.h"
#include "config/resource_string.h"
#include "jvm/jvm_state.h"
#include "launcher/process_state.h"
#include "platform/duplicate_string.h"

namespace launcher {

namespace {

constexpr int defaultMaxHeapMegabytes = 1024;
constexpr int largestMaxHeapMegabytes = 1048576;

}  // namespace

bool buildJvmOptions() {
    std::vector<std::string> options;
    if (!addClassPathOption(options))
        return false;
    addDefaultVmOptions(options);
    options.push_back("-DkeystoreLocation=" + getProperty(launchProps, "jvm.keystore.path"));
    options.push_back("-Djvm.bin.path=" + getProperty(launchProps, "jvm.bin.path"));
    options.push_back("-Xmx" + std::to_string(getMaxHeapMegabytes()) + "m");
    storeVmOptions(options);
    return true;
}

bool addClassPathOption(std::vector<std::string>& options) {
    const std::string classPath = buildClassPath();
    if (classPath.empty())
        return false;
    options.push_back("-Djava.class.path=" + classPath);
    return true;
}

void addDefaultVmOptions(std::vector<std::string>& options) {
    appendSpaceSeparatedWords(loadResourceString(defaultVmOptionsTextId), options);
}

void appendSpaceSeparatedWords(std::string_view text, std::vector<std::string>& options) {
    while (!text.empty()) {
        std::size_t end = text.find(' ');
        if (end == std::string_view::npos)
            end = text.size();
        options.emplace_back(text.substr(0, end));
        while (end < text.size() && text[end] == ' ')
            ++end;
        text.remove_prefix(end);
    }
}

int getMaxHeapMegabytes() {
    if (!hasProperty(settingsProps, "memory.max"))
        return defaultMaxHeapMegabytes;
    return maxHeapMegabytesFrom(getProperty(settingsProps, "memory.max"));
}

int maxHeapMegabytesFrom(std::string_view value) {
    // A number beyond the range of int reads as its nearest end, which is out of range here.
    const int megabytes = parseLeadingInt(value);
    if (megabytes < 1 || megabytes > largestMaxHeapMegabytes)
        return defaultMaxHeapMegabytes;
    return megabytes;
}

void storeVmOptions(const std::vector<std::string>& options) {
    auto* array = static_cast<JavaVMOption*>(std::malloc(options.size() * sizeof(JavaVMOption)));
    if (array == nullptr && !options.empty())
        throw std::bad_alloc();
    for (std::size_t i = 0; i < options.size(); ++i) {
        array[i].optionString = platform::duplicateString(options[i].c_str());
        array[i].extraInfo = nullptr;
        if (array[i].optionString == nullptr)
            throw std::bad_alloc();
    }
    vmOptions = array;
    vmOptionCount = static_cast<jint>(options.size());
}

void releaseVmOptions() {
    if (vmOptions == nullptr)
        return;
    for (jint i = 0; i < vmOptionCount; ++i)
        std::free(vmOptions[i].optionString);
    std::free(vmOptions);
    vmOptions = nullptr;
}

}  // namespace launcher
