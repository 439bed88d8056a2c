#include "classpath/class_path_directive.h"

#include <algorithm>

#include "classpath/jar_file_name.h"

namespace launcher {

JarNamesByDir parseClassPathDirective(std::string_view directive) {
    JarNamesByDir jarNamesByDir;
    // Entries as splitString yields them at ';', taken in place; entries of one directory
    // usually follow each other, so its list is looked up again only when the directory changes.
    std::vector<std::string_view>* names = nullptr;
    std::string_view namesDirectory;
    for (std::size_t start = 0; start < directive.size();) {
        const std::size_t end = std::min(directive.find(';', start), directive.size());
        const std::string_view entry = directive.substr(start, end - start);
        start = end + 1;
        // Only '/' divides, so "/a.jar" names the current directory, not the root. An entry is
        // most often in the directory of the one before: then only the rest is searched.
        const std::size_t known = namesDirectory.size();
        if (names != nullptr && entry.size() > known && entry[known] == '/' &&
            sameName(entry.substr(0, known), namesDirectory) &&
            entry.find('/', known + 1) == std::string_view::npos) {
            names->emplace_back(entry.data() + known + 1, entry.size() - known - 1);
            continue;
        }
        std::size_t slash = entry.find('/');
        for (std::size_t next = slash; next != std::string_view::npos;
             next = entry.find('/', slash + 1))
            slash = next;
        const std::string_view directory =
            slash == std::string_view::npos ? std::string_view() : entry.substr(0, slash);
        if (names == nullptr || directory != namesDirectory) {
            names = &jarNamesByDir[directory];
            namesDirectory = directory;
            // A directory of jars holds dozens: room for them at once rather than step by step.
            constexpr std::size_t usualJarsPerDirectory = 64;
            names->reserve(usualJarsPerDirectory);
        }
        names->emplace_back(slash == std::string_view::npos ? entry : entry.substr(slash + 1));
    }
    return jarNamesByDir;
}

}  // namespace launcher
