#include "classpath/class_path_builder.h"

#include <string_view>
#include <vector>

#include "classpath/class_path_directive.h"
#include "classpath/jar_name_index.h"
#include "classpath/jars_version_resolver.h"
#include "classpath/jvm_file_names.h"
#include "config/line_reader.h"
#include "config/process_state.h"
#include "config/property_file.h"
#include "platform/files_and_directories.h"
#include "platform/libraries_and_texts.h"
#include "platform/process_and_console.h"

namespace launcher {

namespace {

// The build cannot go on: the message as a line of the launcher's output, then the end of the
// process.
[[noreturn]] void giveUp(const std::string& message) {
    platform::writeOutput(message + '\n');
    platform::exitAfterFailure();
}

// Whether the JVM can open a listed file by its name: bytes it can't decode name a file that
// isn't there. The charset is asked of the system only for the first name beyond ASCII, which
// every charset reads alike.
class NameRules {
  public:
    bool jvmCanOpen(std::string_view name) {
        if (holdsOnlyAscii(name))
            return true;
        if (!charsetKnown_) {
            charset_ = platform::jvmFileNameCharset();
            charsetKnown_ = true;
        }
        return canDecodeName(name, charset_);
    }

  private:
    bool charsetKnown_ = false;
    platform::FileNameCharset charset_ = platform::FileNameCharset::AnyBytes;
};

// Offers every file of directory that stands for one of its jar names, then checks that each
// of them has a file by now (possibly from an earlier directory).
void scanDirectory(const std::string& directory, const std::vector<std::string_view>& jarNames,
                   JarsVersionResolver& resolver, NameRules& names) {
    // The JVM splits its class path at this character: a name holding it would be read as two
    // elements, neither of them the one chosen here.
    const char separator = platform::pathListSeparator();
    if (directory.find(separator) != std::string::npos) {
        giveUp("Failed to build classpath. The directory '" + directory + "' holds '" + separator +
               "', which separates class path elements.");
    }
    // A NUL inside the text would silently list a shorter path.
    const platform::Owned<platform::DirectoryListing> listing =
        directory.find('\0') != std::string::npos
            ? nullptr
            : platform::openDirectory(directory.empty() ? "." : directory.c_str());
    if (listing == nullptr)
        giveUp("Failed to scan dir '" + directory + "'");

    // Each jar name's place is looked up once, not at every file offered for it.
    std::vector<std::size_t> places;
    places.reserve(jarNames.size());
    for (const std::string_view jarName : jarNames)
        places.push_back(resolver.placeFor(jarName));
    const JarNameIndex index(jarNames);
    const std::string dirPrefix = directory.empty() ? std::string() : directory + "/";
    // The JVM opens the whole element: a directory it can't decode hides every file in it.
    const bool directoryReadable = names.jvmCanOpen(directory);
    std::vector<std::size_t> matches;
    platform::DirectoryEntry entry{};
    while (platform::nextDirectoryEntry(*listing, entry)) {
        // Subdirectories named like jars are never class path elements, nor names that the JVM
        // would split. An element it could not decode is chosen only while there is no other.
        if (entry.type == platform::EntryType::Other)
            continue;
        const JarFileName name(entry.name);
        index.findMatches(name, matches);
        if (matches.empty() || entry.name.find(separator) != std::string_view::npos)
            continue;
        const bool readable = directoryReadable && names.jvmCanOpen(entry.name);
        for (const std::size_t position : matches)
            resolver.offer(places[position], name, dirPrefix, readable);
    }

    for (std::size_t position = 0; position < jarNames.size(); ++position) {
        if (!resolver.offered(places[position])) {
            giveUp("Failed to build classpath. " + directory + "/" +
                   std::string(jarNames[position]) + " is missed.");
        }
    }
}

}  // namespace

std::string buildClassPath() {
    const JarNamesByDir jarNamesByDir =
        parseClassPathDirective(getProperty(launchProps, "jvm.classpath"));
    // The first line of "version" in the current directory ("" without one): whatever follows
    // it may be of any size.
    JarsVersionResolver resolver(readFirstLine("version"));
    std::size_t jarNameCount = 0;
    for (const auto& [directory, jarNames] : jarNamesByDir)
        jarNameCount += jarNames.size();
    resolver.reserve(jarNameCount);
    NameRules names;
    // One directory at a time, so a failure leaves the later ones unopened.
    for (const auto& [directory, jarNames] : jarNamesByDir)
        scanDirectory(std::string(directory), jarNames, resolver, names);

    std::string classPath = resolver.getClassPath(platform::pathListSeparator());
    platform::writeOutput("classpath: " + classPath + '\n');
    return classPath;
}

}  // namespace launcher
