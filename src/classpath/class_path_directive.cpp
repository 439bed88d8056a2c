#include "classpath/class_path_directive.h"

#include "config/string_split.h"

namespace launcher {

JarNamesByDir parseClassPathDirective(std::string_view directive) {
    JarNamesByDir jarNamesByDir;
    for (const std::string& entry : splitString(directive, ';')) {
        // Only '/' divides, so "/a.jar" names the current directory, not the root.
        const std::size_t slash = entry.rfind('/');
        if (slash == std::string::npos)
            jarNamesByDir[""].push_back(entry);
        else
            jarNamesByDir[entry.substr(0, slash)].push_back(entry.substr(slash + 1));
    }
    return jarNamesByDir;
}

}  // namespace launcher
