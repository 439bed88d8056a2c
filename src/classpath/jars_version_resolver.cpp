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
    clientVersionDigital =
        !clientVersionParts.empty() &&
        std::all_of(clientVersionParts.begin(), clientVersionParts.end(),
                    [](const std::string& part) { return part.empty() || isAllDigits(part); });
}

void JarsVersionResolver::offerJar(const std::string& jarName, const JarCandidate& candidate) {
    offer(choiceFor(jarName), JarFileName(candidate.fileName), candidate.dirPrefix);
}

JarsVersionResolver::Choice& JarsVersionResolver::choiceFor(const std::string& jarName) {
    // The builder asks for a directory's names in the order written, which is mostly byte-wise:
    // then the place is right after the one asked for last, and the map checks that in two
    // comparisons. A name already there is found, whatever the hint.
    const auto hint = lastAskedFor == chosenJars.end() ? chosenJars.end() : std::next(lastAskedFor);
    lastAskedFor = chosenJars.emplace_hint(hint, jarName, Choice{});
    return lastAskedFor->second;
}

void JarsVersionResolver::offer(Choice& choice, const JarFileName& fileName,
                                std::string_view dirPrefix, bool readable) {
    if (!choice.offered) {
        choose(choice, fileName.name, dirPrefix, scoreOf(fileName), readable);
        return;
    }
    // Without a comparable client version the first file found is as good as any.
    if (!clientVersionDigital)
        platform::writeOutput("Brantlo Client version is not digital.\n");
    if (readable != choice.readable) {
        if (readable)
            choose(choice, fileName.name, dirPrefix, scoreOf(fileName), readable);
        return;
    }
    // A file sharing every part of the client's version can't be bettered.
    if (!clientVersionDigital || choice.score == static_cast<int>(clientVersionParts.size()))
        return;
    const int score = scoreOf(fileName);
    if (score > choice.score)
        choose(choice, fileName.name, dirPrefix, score, readable);
}

int JarsVersionResolver::scoreOf(const JarFileName& fileName) const {
    return clientVersionDigital ? countMatchingVersionParts(fileName.version()) : 0;
}

void JarsVersionResolver::choose(Choice& choice, std::string_view fileName,
                                 std::string_view dirPrefix, int score, bool readable) {
    choice.elementAt = chosenElements.size();
    choice.elementSize = dirPrefix.size() + fileName.size();
    chosenElements.append(dirPrefix).append(fileName);
    choice.score = score;
    choice.offered = true;
    choice.readable = readable;
}

bool JarsVersionResolver::containsJar(const std::string& jarName) const {
    const auto found = chosenJars.find(jarName);
    return found != chosenJars.end() && found->second.offered;
}

std::string JarsVersionResolver::getClassPath(char separator) const {
    std::size_t length = 0;
    for (const auto& [jarName, choice] : chosenJars)
        length += choice.elementSize + 1;
    std::string classPath;
    classPath.reserve(length);
    const std::string_view elements = chosenElements;
    bool first = true;
    for (const auto& [jarName, choice] : chosenJars) {
        if (!choice.offered)
            continue;
        if (!first)
            classPath += separator;
        first = false;
        classPath += elements.substr(choice.elementAt, choice.elementSize);
    }
    return classPath;
}

int JarsVersionResolver::countMatchingVersionParts(std::string_view version) const {
    // The version's parts as splitString yields them, walked in place: a client part (which
    // holds no '.') equals the version's part at position when the version holds the same
    // bytes there, followed by a '.' or the end.
    int count = 0;
    std::size_t position = 0;
    for (const std::string& part : clientVersionParts) {
        if (position >= version.size())
            break;
        const std::size_t end = position + part.size();
        if (end > version.size() || (end < version.size() && version[end] != '.'))
            break;
        std::size_t at = 0;
        while (at < part.size() && part[at] == version[position + at])
            ++at;
        if (at < part.size())
            break;
        ++count;
        position = end + 1;
    }
    return count;
}

}  // namespace launcher
