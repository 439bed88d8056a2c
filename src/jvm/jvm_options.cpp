#include "jvm/jvm_options.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <new>
#include <optional>

#include "classpath/class_path_builder.h"
#include "config/numbers.h"
#include "config/process_state.h"
#include "config/property_file.h"
#include "config/resource_string.h"
#include "jvm/jvm_state.h"
#include "platform/libraries_and_texts.h"

namespace launcher {

namespace {

constexpr int defaultMaxHeapMegabytes = 1024;
constexpr int largestMaxHeapMegabytes = 1048576;

// A JVM memory size (digits, then k, m, g or t, or none for bytes) in megabytes rounded up.
std::optional<int> sizeInMegabytes(std::string_view size) {
    int shift = -20;  // from the unit to megabytes
    if (!size.empty()) {
        const std::string_view units = "kmgt";
        const std::size_t unit = units.find(static_cast<char>(size.back() | 0x20));
        if (unit != std::string_view::npos) {
            shift = static_cast<int>(unit) * 10 - 10;
            size.remove_suffix(1);
        }
    }
    // Twelve digits keep the product within 64 bits; more is far beyond any heap anyway.
    const std::optional<std::uint64_t> count =
        size.size() <= 12 ? parseDecimal(size) : std::nullopt;
    if (!count)
        return std::nullopt;
    const std::uint64_t megabytes =
        shift >= 0 ? *count << shift : (*count + (std::uint64_t{1} << -shift) - 1) >> -shift;
    return static_cast<int>(std::min<std::uint64_t>(megabytes, std::numeric_limits<int>::max()));
}

// Copies options into vmOptions (malloc'd array, malloc'd strings) and sets vmOptionCount.
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

}  // namespace

bool buildJvmOptions() {
    // Before the class path is checked against the charset the JVM will take for file names.
    platform::useUtf8WhereLocaleIsC();
    const std::string classPath = buildClassPath();
    if (classPath.empty())
        return false;
    std::vector<std::string> options{"-Djava.class.path=" + classPath};
    appendSpaceSeparatedWords(loadResourceString(defaultVmOptionsTextId), options);
    // A maximum below the built-in initial heap would keep the JVM from starting at all.
    const int maxHeap = std::max(getMaxHeapMegabytes(), initialHeapMegabytes(options));
    options.push_back("-DkeystoreLocation=" + getProperty(launchProps, "jvm.keystore.path"));
    options.push_back("-Djvm.bin.path=" + getProperty(launchProps, "jvm.bin.path"));
    options.push_back("-Xmx" + std::to_string(maxHeap) + "m");
    storeVmOptions(options);
    return true;
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
    // Read the way atoi reads (an absent value reads as 0); a number beyond the range of int
    // reads as its nearest end, which is out of range here.
    const int megabytes = parseLeadingInt(getProperty(settingsProps, "memory.max"));
    if (megabytes < 1 || megabytes > largestMaxHeapMegabytes)
        return defaultMaxHeapMegabytes;
    return megabytes;
}

int initialHeapMegabytes(const std::vector<std::string>& options) {
    int megabytes = 0;
    for (const std::string& option : options) {
        if (!option.starts_with("-Xms"))
            continue;
        // The last one counts, as for the JVM; a size it cannot read it reports itself.
        if (const std::optional<int> size = sizeInMegabytes(std::string_view(option).substr(4)))
            megabytes = *size;
    }
    return megabytes;
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
