#include "classpath/jar_name_index.h"

#include <algorithm>

#include "classpath/jar_version.h"

namespace launcher {

namespace {

void appendAll(const std::vector<std::size_t>* found, std::vector<std::size_t>& positions) {
    if (found != nullptr)
        positions.insert(positions.end(), found->begin(), found->end());
}

template <typename Map>
const std::vector<std::size_t>* lookUp(const Map& map, std::string_view key) {
    const auto it = map.find(key);
    return it == map.end() ? nullptr : &it->second;
}

}  // namespace

JarNameIndex::JarNameIndex(const std::vector<std::string>& jarNames) : jarNames_(jarNames) {
    for (std::size_t position = 0; position < jarNames.size(); ++position) {
        const std::string& name = jarNames[position];
        byName_[name].push_back(position);
        const std::size_t lastDot = name.rfind('.');
        if (lastDot == std::string::npos) {
            byPlainStart_[name].push_back(position);
            plainStartLengths_.push_back(name.size());
        } else {
            byVersionedStart_[name.substr(0, lastDot) + jarVersionSeparator].push_back(position);
        }
    }
    std::sort(plainStartLengths_.begin(), plainStartLengths_.end());
    plainStartLengths_.erase(std::unique(plainStartLengths_.begin(), plainStartLengths_.end()),
                             plainStartLengths_.end());
}

void JarNameIndex::findMatches(std::string_view fileName,
                               std::vector<std::size_t>& positions) const {
    positions.clear();
    appendAll(lookUp(byName_, fileName), positions);
    addVersionedMatches(fileName, positions);
    addPlainMatches(fileName, positions);
    // A name without '.' is found both as equal and as start; offers follow the list's order.
    std::sort(positions.begin(), positions.end());
    positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
}

void JarNameIndex::addVersionedMatches(std::string_view fileName,
                                       std::vector<std::size_t>& positions) const {
    if (byVersionedStart_.empty())
        return;
    // A required start ends in the separator, so only the starts ending at one of the
    // separators in fileName can match; the required end is then checked in full.
    for (std::size_t at = fileName.find(jarVersionSeparator); at != std::string_view::npos;
         at = fileName.find(jarVersionSeparator, at + 1)) {
        const auto* found =
            lookUp(byVersionedStart_, fileName.substr(0, at + jarVersionSeparator.size()));
        if (found == nullptr)
            continue;
        for (const std::size_t position : *found) {
            if (matchesJarName(fileName, jarNames_[position]))
                positions.push_back(position);
        }
    }
}

void JarNameIndex::addPlainMatches(std::string_view fileName,
                                   std::vector<std::size_t>& positions) const {
    for (const std::size_t length : plainStartLengths_) {
        if (length > fileName.size())
            break;
        appendAll(lookUp(byPlainStart_, fileName.substr(0, length)), positions);
    }
}

bool matchesJarName(std::string_view fileName, std::string_view jarName) {
    if (fileName == jarName)
        return true;
    // core.jar stands for core__V<version>.jar; a name without '.' for anything it begins.
    const std::size_t lastDot = jarName.rfind('.');
    if (lastDot == std::string_view::npos)
        return fileName.starts_with(jarName);
    const std::string_view base = jarName.substr(0, lastDot);
    const std::string_view requiredEnd = jarName.substr(lastDot + 1);
    return fileName.starts_with(base) &&
           fileName.substr(base.size()).starts_with(jarVersionSeparator) &&
           fileName.ends_with(requiredEnd);
}

}  // namespace launcher
