#include "classpath/jars_version_resolver.h"

#include <algorithm>

#include "classpath/jar_version.h"
#include "config/numbers.h"
#include "config/string_split.h"
#include "platform/process_and_console.h"

namespace launcher {

JarsVersionResolver::JarsVersionResolver(const std::string& clientVersion) {
    platform::writeOutput("Brantlo Client version: " + clientVersion + '\n');
    clientVersionParts = splitString(clientVersion, '.');
}

void JarsVersionResolver::offerJar(const std::string& jarName, const JarCandidate& candidate) {
    const auto chosen = chosenJars.find(jarName);
    if (chosen == chosenJars.end()) {
        chosenJars.emplace(jarName, candidate);
        return;
    }
    // Without a comparable client version the first file found is as good as any.
    if (!isClientVersionDigital()) {
        platform::writeOutput("Brantlo Client version is not digital.\n");
        return;
    }
    const int newScore = countMatchingVersionParts(extractJarVersion(candidate.fileName));
    const int oldScore = countMatchingVersionParts(extractJarVersion(chosen->second.fileName));
    if (newScore > oldScore)
        chosen->second = candidate;
}

bool JarsVersionResolver::containsJar(const std::string& jarName) const {
    return chosenJars.contains(jarName);
}

std::string JarsVersionResolver::getClassPath(char separator) const {
    std::string classPath;
    bool first = true;
    for (const auto& [jarName, candidate] : chosenJars) {
        if (!first)
            classPath += separator;
        first = false;
        classPath += candidate.dirPrefix;
        classPath += candidate.fileName;
    }
    return classPath;
}

int JarsVersionResolver::countMatchingVersionParts(std::string_view version) const {
    // The parts as splitString yields them, walked in place: this runs twice for every offer.
    std::size_t count = 0;
    std::size_t position = 0;
    while (position < version.size() && count < clientVersionParts.size()) {
        const std::size_t end = std::min(version.find('.', position), version.size());
        if (version.substr(position, end - position) != clientVersionParts[count])
            break;
        ++count;
        position = end + 1;
    }
    return static_cast<int>(count);
}

bool JarsVersionResolver::isClientVersionDigital() const {
    if (clientVersionParts.empty())
        return false;
    return std::all_of(clientVersionParts.begin(), clientVersionParts.end(),
                       [](const std::string& part) { return part.empty() || isAllDigits(part); });
}

}  // namespace launcher
