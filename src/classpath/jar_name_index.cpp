#include "classpath/jar_name_index.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace launcher {

namespace {

// A hash of the size and of the first and last eight bytes, where names of jars differ: a few
// instructions where a hash of every byte costs several dozen, for every name listed. Texts
// that agree there fall into one group and are told apart in full.
std::size_t hashOf(std::string_view text) {
    constexpr std::size_t word = sizeof(std::uint64_t);
    std::uint64_t first = 0;
    std::uint64_t last = 0;
    if (text.size() >= word) {
        std::memcpy(&first, text.data(), word);
        std::memcpy(&last, text.data() + text.size() - word, word);
    } else {
        for (const char c : text)
            first = (first << 8) | static_cast<unsigned char>(c);
    }
    std::uint64_t hash = (first * 0x9E3779B97F4A7C15U) ^ (last * 0xC2B2AE3D27D4EB4FU) ^ text.size();
    hash ^= hash >> 31;
    return static_cast<std::size_t>(hash * 0xD6E8FEB86659FD93U);
}

}  // namespace

void JarNameIndex::ByHash::reserve(std::size_t count) {
    keys_.reserve(count);
}

void JarNameIndex::ByHash::add(std::string_view text, std::size_t position) {
    keys_.push_back({hashOf(text), position, text.size()});
}

void JarNameIndex::ByHash::seal() {
    if (keys_.empty())
        return;  // forEach never reads an empty table
    const std::size_t groups = std::bit_ceil(keys_.size());
    // The top log2(groups) bits pick the group (none for a single group).
    shift_ = static_cast<unsigned>(sizeof(std::size_t) * 8 - 1 - std::countr_zero(groups));
    // Counted, then placed in the order added, which keeps positions ascending in a group. Each
    // group's start serves as its cursor while placing, and is then the next group's start.
    groupStarts_.assign(groups + 1, 0);
    for (const Key& key : keys_)
        ++groupStarts_[group(key.hash) + 1];
    for (std::size_t at = 1; at <= groups; ++at)
        groupStarts_[at] += groupStarts_[at - 1];
    std::vector<Key> grouped(keys_.size());
    for (const Key& key : keys_)
        grouped[groupStarts_[group(key.hash)]++] = key;
    for (std::size_t at = groups; at > 0; --at)
        groupStarts_[at] = groupStarts_[at - 1];
    groupStarts_[0] = 0;
    keys_ = std::move(grouped);
}

template <typename Visit>
void JarNameIndex::ByHash::forEach(std::string_view text, Visit visit) const {
    const std::size_t hash = hashOf(text);
    const std::size_t at = group(hash);
    for (std::uint32_t key = groupStarts_[at]; key < groupStarts_[at + 1]; ++key) {
        if (keys_[key].hash == hash && keys_[key].size == text.size())
            visit(keys_[key].position);
    }
}

void JarNameIndex::addNames() {
    byBase_.reserve(jarNames_.size());
    for (std::size_t position = 0; position < jarNames_.size(); ++position) {
        const std::string_view name = jarNames_[position];
        const std::size_t lastDot = name.rfind('.');
        if (lastDot == std::string_view::npos) {
            byPlainName_.add(name, position);
            plainLengths_.push_back(name.size());
            continue;
        }
        const std::string_view base = name.substr(0, lastDot);
        byBase_.add(base, position);
        if (base.find(versionSeparator) != std::string_view::npos)
            aBaseHoldsSeparator_ = true;
    }
    byBase_.seal();
    byPlainName_.seal();
    std::sort(plainLengths_.begin(), plainLengths_.end());
    plainLengths_.erase(std::unique(plainLengths_.begin(), plainLengths_.end()),
                        plainLengths_.end());
}

void JarNameIndex::findMatches(const JarFileName& fileName,
                               std::vector<std::size_t>& positions) const {
    positions.clear();
    const std::string_view name = fileName.name;
    if (!byBase_.empty()) {
        // An entry equal to a name: its base ends at its last '.', and holds a separator only
        // when some name's base does. A separator before the last '.' rules that out.
        const bool mayEqualName =
            fileName.lastDot != std::string_view::npos &&
            (aBaseHoldsSeparator_ || fileName.firstSeparator == std::string_view::npos ||
             fileName.firstSeparator > fileName.lastDot);
        // A versioned entry: its base ends at one of its separators, at the first unless a
        // base holds one itself. Then the entry as a whole, when it may equal a name.
        for (std::size_t at = fileName.firstSeparator;
             at != std::string_view::npos || mayEqualName;) {
            const bool equal = at == std::string_view::npos;
            findMatchesByBase(name, equal ? fileName.lastDot : at, equal, positions);
            if (equal)
                break;
            at =
                aBaseHoldsSeparator_ ? name.find(versionSeparator, at + 1) : std::string_view::npos;
        }
    }
    for (const std::size_t length : plainLengths_) {
        if (length > name.size())
            break;
        const std::string_view start = name.substr(0, length);
        byPlainName_.forEach(start, [&](std::size_t position) {
            if (sameName(jarNames_[position], start))
                positions.push_back(position);
        });
    }
    // Each look-up finds names in the list's order, which the offers follow; several look-ups
    // may find names for one entry.
    if (positions.size() > 1)
        std::sort(positions.begin(), positions.end());
}

void JarNameIndex::findMatchesByBase(std::string_view fileName, std::size_t baseSize, bool equal,
                                     std::vector<std::size_t>& positions) const {
    const std::string_view base = fileName.substr(0, baseSize);
    byBase_.forEach(base, [&](std::size_t position) {
        // The name is a base of this size, '.', and the end the file's name must have.
        const std::string_view jarName = jarNames_[position];
        const std::string_view end = jarName.substr(baseSize + 1);
        const bool matches =
            equal ? sameName(jarName, fileName)
                  : sameName(jarName.substr(0, baseSize), base) && end.size() <= fileName.size() &&
                        sameName(fileName.substr(fileName.size() - end.size()), end);
        if (matches)
            positions.push_back(position);
    });
}

}  // namespace launcher
