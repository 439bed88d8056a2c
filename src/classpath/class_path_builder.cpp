#include "classpath/class_path_builder.h"

#include <vector>

#include "classpath/class_path_directive.h"
#include "classpath/jar_name_index.h"
#include "classpath/jars_version_resolver.h"
#include "config/line_reader.h"
#include "config/process_state.h"
#include "config/property_file.h"
#include "platform/files_and_directories.h"
#include "platform/process_and_console.h"

namespace launcher {

namespace {

// The build cannot go on: the message as a line of the launcher's output, then the end of the
// process.
[[noreturn]] void giveUp(const std::string& message) {
    platform::writeOutput(message + '\n');
    platform::exitAfterFailure();
}

platform::Owned<platform::DirectoryListing> openListing(const std::string& directory) {
    // A NUL inside the text would silently list a shorter path.
    if (directory.find('\0') != std::string::npos)
        return nullptr;
    return platform::openDirectory(directory.empty() ? "." : directory.c_str());
}

// Offers every file of directory that stands for one of its jar names, then checks that each
// of them has a file by now (possibly from an earlier directory).
void scanDirectory(const std::string& directory, const std::vector<std::string>& jarNames,
                   JarsVersionResolver& resolver) {
    // The JVM splits its class path at this character: a name holding it would be read as two
    // elements, neither of them the one chosen here.
    const char separator = platform::pathListSeparator();
    if (directory.find(separator) != std::string::npos) {
        giveUp("Failed to build classpath. The directory '" + directory + "' holds '" + separator +
               "', which separates class path elements.");
    }
    const platform::Owned<platform::DirectoryListing> listing = openListing(directory);
    if (listing == nullptr)
        giveUp("Failed to scan dir '" + directory + "'");

    const JarNameIndex index(jarNames);
    const std::string dirPrefix = directory.empty() ? std::string() : directory + "/";
    std::vector<std::size_t> matches;
    platform::DirectoryEntry entry{};
    while (platform::nextDirectoryEntry(*listing, entry)) {
        // Subdirectories named like jars are never class path elements, nor names that the JVM
        // would split.
        if (entry.type == platform::EntryType::Other)
            continue;
        index.findMatches(entry.name, matches);
        if (matches.empty() || entry.name.find(separator) != std::string_view::npos)
            continue;
        const JarCandidate candidate{std::string(entry.name), dirPrefix};
        for (const std::size_t position : matches)
            resolver.offerJar(jarNames[position], candidate);
    }

    for (const std::string& jarName : jarNames) {
        if (!resolver.containsJar(jarName))
            giveUp("Failed to build classpath. " + directory + "/" + jarName + " is missed.");
    }
}

// The first line of the file "version" in the current directory, or "" when there is none.
std::string readClientVersion() {
    std::string bytes;
    if (!readFileBytes("version", bytes))
        return {};
    return std::string(firstLine(bytes));
}

}  // namespace

std::string buildClassPath() {
    const JarNamesByDir jarNamesByDir =
        parseClassPathDirective(getProperty(launchProps, "jvm.classpath"));
    JarsVersionResolver resolver(readClientVersion());
    // One directory at a time, so a failure leaves the later ones unopened.
    for (const auto& [directory, jarNames] : jarNamesByDir)
        scanDirectory(directory, jarNames, resolver);

    std::string classPath = resolver.getClassPath(platform::pathListSeparator());
    platform::writeOutput("classpath: " + classPath + '\n');
    return classPath;
}

}  // namespace launcher
