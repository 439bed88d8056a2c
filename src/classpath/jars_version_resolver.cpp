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

void JarsVersionResolver::reserve(std::size_t jarNames) {
    places.reserve(jarNames);
    byName.reserve(jarNames);
}

void JarsVersionResolver::offerJar(const std::string& jarName, const JarCandidate& candidate) {
    std::size_t place = find(jarName);
    if (place == std::string_view::npos)
        place = placeFor(keptJarNames.emplace_back(jarName));
    offer(place, JarFileName(candidate.fileName), candidate.dirPrefix);
}

std::size_t JarsVersionResolver::orderAt(std::string_view jarName) const {
    return static_cast<std::size_t>(
        std::lower_bound(byName.begin(), byName.end(), jarName,
                         [this](std::size_t place, std::string_view text) {
                             return precedes(places[place].name, text);
                         }) -
        byName.begin());
}

std::size_t JarsVersionResolver::find(std::string_view jarName) const {
    const std::size_t at = orderAt(jarName);
    return at < byName.size() && places[byName[at]].name == jarName ? byName[at]
                                                                    : std::string_view::npos;
}

std::size_t JarsVersionResolver::placeFor(std::string_view name) {
    // The builder asks for a directory's names in the order written, which is mostly byte-wise:
    // then the place is right after the one asked for last, which two comparisons confirm.
    const auto nameAt = [this](std::size_t at) { return places[byName[at]].name; };
    std::size_t at = byName.empty() ? 0 : lastAskedAt + 1;
    if ((at > 0 && !precedes(nameAt(at - 1), name)) ||
        (at < byName.size() && precedes(nameAt(at), name)))
        at = orderAt(name);
    lastAskedAt = at;
    if (at < byName.size() && nameAt(at).size() == name.size() &&
        sameBytes(nameAt(at).data(), name.data(), name.size()))
        return byName[at];
    places.push_back(Place{.name = name});
    byName.insert(byName.begin() + static_cast<std::ptrdiff_t>(at), places.size() - 1);
    return places.size() - 1;
}

void JarsVersionResolver::offer(std::size_t position, const JarFileName& fileName,
                                std::string_view dirPrefix, bool readable) {
    Place& place = places[position];
    bool replaces = !place.offered;
    if (place.offered) {
        // Without a comparable client version the first file found is as good as any.
        if (!clientVersionDigital)
            platform::writeOutput("Brantlo Client version is not digital.\n");
        if (readable != place.readable) {
            if (!readable)
                return;
            replaces = true;
        } else if (!clientVersionDigital || place.score == clientVersionPartCount) {
            // A file sharing every part of the client's version can't be bettered.
            return;
        }
    }
    const int score = scoreOf(fileName);
    if (replaces || score > place.score)
        choose(place, fileName.name, dirPrefix, score, readable);
}

int JarsVersionResolver::scoreOf(const JarFileName& fileName) const {
    return clientVersionDigital ? countMatchingVersionParts(fileName.version()) : 0;
}

void JarsVersionResolver::choose(Place& place, std::string_view fileName,
                                 std::string_view dirPrefix, int score, bool readable) {
    const std::size_t size = dirPrefix.size() + fileName.size();
    if (chosenCapacity - chosenSize < size)
        growChosenElements(size);
    char* const element = chosenElements.get() + chosenSize;
    copyBytes(element, dirPrefix.data(), dirPrefix.size());
    copyBytes(element + dirPrefix.size(), fileName.data(), fileName.size());
    place.elementAt = chosenSize;
    place.elementSize = size;
    chosenSize += size;
    place.score = score;
    place.offered = true;
    place.readable = readable;
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
    const std::size_t place = find(jarName);
    return place != std::string_view::npos && places[place].offered;
}

std::string JarsVersionResolver::getClassPath(char separator) const {
    std::size_t length = 0;
    for (const Place& place : places)
        length += place.elementSize + 1;
    // Written in place: appending element by element costs several times as much.
    std::string classPath(length, separator);
    char* end = classPath.data();
    bool first = true;
    for (const std::size_t at : byName) {
        const Place& place = places[at];
        if (!place.offered)
            continue;
        if (!first)
            ++end;  // over the separator
        first = false;
        copyBytes(end, chosenElements.get() + place.elementAt, place.elementSize);
        end += place.elementSize;
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
