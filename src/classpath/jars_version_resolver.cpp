#include "classpath/jars_version_resolver.h"

#include <algorithm>

#include "config/numbers.h"
#include "config/string_split.h"
#include "platform/process_and_console.h"

namespace launcher {

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
    // A class path element is a directory and a versioned name, rarely longer than 48 bytes, and
    // a jar with several versions is often chosen twice (a later file shares more of the
    // client's version): room for that without growing.
    constexpr std::size_t usualElementSize = 48;
    chosenElements.reserve(jarNames * 2 * usualElementSize);
}

std::size_t JarsVersionResolver::orderAt(std::string_view jarName) const {
    return static_cast<std::size_t>(
        std::lower_bound(byName.begin(), byName.end(), jarName,
                         [this](std::size_t place, std::string_view text) {
                             return precedes(places[place].name, text);
                         }) -
        byName.begin());
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
    if (at < byName.size() && sameName(nameAt(at), name))
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
    const int score = clientVersionDigital ? countMatchingVersionParts(fileName.version()) : 0;
    if (!replaces && score <= place.score)
        return;
    place.elementAt = chosenElements.size();
    place.elementSize = dirPrefix.size() + fileName.name.size();
    chosenElements.append(dirPrefix).append(fileName.name);
    place.score = score;
    place.offered = true;
    place.readable = readable;
}

std::string JarsVersionResolver::getClassPath(char separator) const {
    std::string classPath;
    classPath.reserve(chosenElements.size() + places.size());
    bool first = true;
    for (const std::size_t at : byName) {
        const Place& place = places[at];
        if (!place.offered)
            continue;
        if (!first)
            classPath += separator;
        first = false;
        classPath.append(chosenElements, place.elementAt, place.elementSize);
    }
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
