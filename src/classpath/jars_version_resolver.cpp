#include "classpath/jars_version_resolver.h"

#include <algorithm>
#include <cstring>

#include "classpath/jar_version.h"
#include "config/numbers.h"
#include "config/string_split.h"
#include "platform/process_and_console.h"

namespace launcher {

namespace {

// Byte-wise order, as std::string_view's, without the library's out-of-line comparison around
// memcmp: the places are ordered at every jar name asked for.
bool precedes(std::string_view left, std::string_view right) {
    const std::size_t common = std::min(left.size(), right.size());
    const int order = common == 0 ? 0 : std::memcmp(left.data(), right.data(), common);
    return order < 0 || (order == 0 && left.size() < right.size());
}

}  // namespace

JarsVersionResolver::JarsVersionResolver(const std::string& clientVersion)
    : clientVersionText(clientVersion) {
    platform::writeOutput("Brantlo Client version: " + clientVersion + '\n');
    const std::vector<std::string> parts = splitString(clientVersion, '.');
    clientVersionPartCount = static_cast<int>(parts.size());
    clientVersionDigital =
        !parts.empty() && std::all_of(parts.begin(), parts.end(), [](const std::string& part) {
            return part.empty() || isAllDigits(part);
        });
}

void JarsVersionResolver::offerJar(const std::string& jarName, const JarCandidate& candidate) {
    Place* place = find(jarName);
    Choice& choice =
        place != nullptr ? place->choice : choiceFor(keptJarNames.emplace_back(jarName));
    offer(choice, JarFileName(candidate.fileName), candidate.dirPrefix);
}

std::size_t JarsVersionResolver::placeAt(std::string_view jarName) const {
    return static_cast<std::size_t>(std::lower_bound(byName.begin(), byName.end(), jarName,
                                                     [](const Place* place, std::string_view text) {
                                                         return precedes(place->name, text);
                                                     }) -
                                    byName.begin());
}

JarsVersionResolver::Place* JarsVersionResolver::find(std::string_view jarName) const {
    const std::size_t at = placeAt(jarName);
    return at < byName.size() && byName[at]->name == jarName ? byName[at] : nullptr;
}

JarsVersionResolver::Choice& JarsVersionResolver::choiceFor(std::string_view name) {
    // The builder asks for a directory's names in the order written, which is mostly byte-wise:
    // then the place is right after the one asked for last, which two comparisons confirm.
    std::size_t at = byName.empty() ? 0 : lastAskedAt + 1;
    if ((at > 0 && !precedes(byName[at - 1]->name, name)) ||
        (at < byName.size() && precedes(byName[at]->name, name)))
        at = placeAt(name);
    lastAskedAt = at;
    if (at < byName.size() && byName[at]->name.size() == name.size() &&
        sameBytes(byName[at]->name.data(), name.data(), name.size()))
        return byName[at]->choice;
    Place& place = places.emplace_back(Place{name, Choice{}});
    byName.insert(byName.begin() + static_cast<std::ptrdiff_t>(at), &place);
    return place.choice;
}

void JarsVersionResolver::offer(Choice& choice, const JarFileName& fileName,
                                std::string_view dirPrefix, bool readable) {
    bool replaces = !choice.offered;
    if (choice.offered) {
        // Without a comparable client version the first file found is as good as any.
        if (!clientVersionDigital)
            platform::writeOutput("Brantlo Client version is not digital.\n");
        if (readable != choice.readable) {
            if (!readable)
                return;
            replaces = true;
        } else if (!clientVersionDigital || choice.score == clientVersionPartCount) {
            // A file sharing every part of the client's version can't be bettered.
            return;
        }
    }
    const int score = scoreOf(fileName);
    if (replaces || score > choice.score)
        choose(choice, fileName.name, dirPrefix, score, readable);
}

int JarsVersionResolver::scoreOf(const JarFileName& fileName) const {
    return clientVersionDigital ? countMatchingVersionParts(fileName.version()) : 0;
}

void JarsVersionResolver::choose(Choice& choice, std::string_view fileName,
                                 std::string_view dirPrefix, int score, bool readable) {
    const std::size_t size = dirPrefix.size() + fileName.size();
    if (chosenCapacity - chosenSize < size)
        growChosenElements(size);
    char* const element = chosenElements.get() + chosenSize;
    copyBytes(element, dirPrefix.data(), dirPrefix.size());
    copyBytes(element + dirPrefix.size(), fileName.data(), fileName.size());
    choice.elementAt = chosenSize;
    choice.elementSize = size;
    chosenSize += size;
    choice.score = score;
    choice.offered = true;
    choice.readable = readable;
}

void JarsVersionResolver::growChosenElements(std::size_t size) {
    constexpr std::size_t firstCapacity = 4096;
    chosenCapacity = std::max({firstCapacity, chosenCapacity * 2, chosenSize + size});
    auto grown = std::make_unique_for_overwrite<char[]>(chosenCapacity);
    if (chosenSize > 0)
        std::memcpy(grown.get(), chosenElements.get(), chosenSize);
    chosenElements = std::move(grown);
}

bool JarsVersionResolver::containsJar(const std::string& jarName) const {
    const Place* place = find(jarName);
    return place != nullptr && place->choice.offered;
}

std::string JarsVersionResolver::getClassPath(char separator) const {
    std::size_t length = 0;
    for (const Place* place : byName)
        length += place->choice.elementSize + 1;
    // Written in place: appending element by element costs several times as much.
    std::string classPath(length, separator);
    char* end = classPath.data();
    bool first = true;
    for (const Place* place : byName) {
        const Choice& choice = place->choice;
        if (!choice.offered)
            continue;
        if (!first)
            ++end;  // over the separator
        first = false;
        copyBytes(end, chosenElements.get() + choice.elementAt, choice.elementSize);
        end += choice.elementSize;
    }
    classPath.resize(static_cast<std::size_t>(end - classPath.data()));
    return classPath;
}

int JarsVersionResolver::countMatchingVersionParts(std::string_view version) const {
    // The parts as splitString yields them, compared in place: every '.' of the texts' common
    // beginning ends a part both share, and the part that ends where one text ends counts when
    // it has begun and the other text ends there too or holds a '.' there (a '.' that ends the
    // client's text begins no part).
    const std::string_view client = clientVersionText;
    const std::size_t shorter = std::min(client.size(), version.size());
    int count = 0;
    std::size_t at = 0;
    for (; at < shorter && client[at] == version[at]; ++at)
        count += client[at] == '.' ? 1 : 0;
    if (at == shorter && at > 0 && client[at - 1] != '.' &&
        (at == client.size() || client[at] == '.') && (at == version.size() || version[at] == '.'))
        ++count;
    return count;
}

}  // namespace launcher
