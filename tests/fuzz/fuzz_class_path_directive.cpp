// The jvm.classpath directive and jar name matching on arbitrary text. The first line is the
// directive; every further line is a directory entry name. The directive must divide into
// exactly its entries, each rebuilt from its directory text and jar name; the indexed lookup
// the builder uses must find exactly the names that the documented rule accepts.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "classpath/class_path_builder.h"
#include "classpath/class_path_directive.h"
#include "classpath/jar_name_index.h"
#include "config/string_split.h"
#include "support/jar_name_rule.h"

namespace {

void check(bool condition) {
    if (!condition)
        std::abort();
}

// Every entry comes back as directory text + "/" + jar name, or as the jar name alone when it
// holds no '/' (or only a leading one), and no jar name holds a '/'.
void checkDirective(std::string_view directive, const launcher::JarNamesByDir& byDir) {
    const std::vector<std::string> entries = launcher::splitString(directive, ';');
    std::size_t names = 0;
    for (const auto& [directory, jarNames] : byDir) {
        check(!jarNames.empty());
        for (const std::string_view jarName : jarNames) {
            check(jarName.find('/') == std::string_view::npos);
            ++names;
        }
    }
    check(names == entries.size());
    for (const std::string& entry : entries) {
        const std::size_t slash = entry.rfind('/');
        const std::string directory = slash == std::string::npos ? "" : entry.substr(0, slash);
        const std::string jarName = slash == std::string::npos ? entry : entry.substr(slash + 1);
        const auto found = byDir.find(directory);
        check(found != byDir.end());
        bool present = false;
        for (const std::string_view name : found->second)
            present = present || name == jarName;
        check(present);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::size_t firstEnd = text.find('\n');
    const std::string_view directive = text.substr(0, firstEnd);
    const launcher::JarNamesByDir byDir = launcher::parseClassPathDirective(directive);
    checkDirective(directive, byDir);
    if (firstEnd == std::string_view::npos)
        return 0;

    const std::vector<std::string> fileNames =
        launcher::splitString(text.substr(firstEnd + 1), '\n');
    std::vector<std::size_t> positions;
    for (const auto& [directory, jarNames] : byDir) {
        const launcher::JarNameIndex index(jarNames);
        for (const std::string& fileName : fileNames) {
            index.findMatches(launcher::JarFileName(fileName), positions);
            std::vector<std::size_t> expected;
            for (std::size_t i = 0; i < jarNames.size(); ++i) {
                if (reference::matchesJarName(fileName, jarNames[i]))
                    expected.push_back(i);
            }
            check(positions == expected);
            // A file always stands for the jar of its own name.
            check(reference::matchesJarName(fileName, fileName));
        }
    }
    return 0;
}
