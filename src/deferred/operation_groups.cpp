#include "deferred/operation_groups.h"

#include <cctype>
#include <map>
#include <set>
#include <string_view>

#include "config/paths.h"
#include "config/property_file.h"
#include "deferred/launcher_replacement.h"
#include "deferred/operation_count.h"
#include "deferred/path_rules.h"
#include "platform/files_and_directories.h"

namespace launcher {

namespace {

template <typename Resolve>
std::optional<std::string> keyOf(const std::string& name, Resolve resolve) {
    const PathStyle style = systemPathStyle();
    const std::string dir = directoryOf(name, style);
    const std::string last(storedName(std::string_view(name).substr(dir.size()), style));
    const bool windows = style.separator == '\\';
    if (windows)
        for (const char c : last)
            if (c == '~' || static_cast<unsigned char>(c) >= 0x80)
                return std::nullopt;
    if (last.empty() || last == "." || last == ".." || last.find('/') != std::string::npos)
        return std::nullopt;
    const std::optional<std::string> resolved = resolve(dir);
    if (!resolved)
        return std::nullopt;
    std::string key = *resolved + '/' + last;
    if (windows)
        for (char& c : key)  // the resolved directory is spelt as the disk holds it
            c = c == '\\' ? '/' : static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return key;
}

// The names of one group, by key, with each directory resolved once.
class GroupNames {
  public:
    explicit GroupNames(const DeferredRun& run) : run_(run) {}

    // Adds name: false, adding nothing, when it has no key or another name of the group is the
    // same, above it or below it.
    bool add(const std::string& name) {
        const auto resolve = [&](const std::string& dir) {
            auto found = resolved_.find(dir);
            if (found == resolved_.end())
                found = resolved_
                            .emplace(dir, platform::resolvedDirectory(run_.launcherDirectory + dir))
                            .first;
            return found->second;
        };
        std::optional<std::string> key = keyOf(name, resolve);
        if (!key)
            return false;
        // Below the launcher directory, as nearly every name is: kept short, since every key of a
        // group is looked up with each of its parts.
        if (!root_) {
            const std::optional<std::string> inRoot = keyOf("x", resolve);  // "<root>/x"
            root_ = inRoot ? inRoot->substr(0, inRoot->size() - 1) : std::string();
        }
        if (!root_->empty() && key->starts_with(*root_))
            key->erase(0, root_->size() - 1);  // from the separator on
        if (clashes(*key))
            return false;
        keys_.insert(std::move(*key));
        return true;
    }

  private:
    bool clashes(const std::string& key) const {
        // The same, or a name below it.
        const auto below = keys_.lower_bound(key);
        if (below != keys_.end() && (*below == key || below->starts_with(key + '/')))
            return true;
        // A name above it.
        for (std::size_t at = key.find('/', 1); at != std::string::npos; at = key.find('/', at + 1))
            if (keys_.contains(std::string_view(key).substr(0, at)))
                return true;
        return false;
    }

    const DeferredRun& run_;
    std::set<std::string, std::less<>> keys_;
    std::optional<std::string> root_;  // the launcher directory's key, its separator included
    std::map<std::string, std::optional<std::string>> resolved_;
};

}  // namespace

std::optional<std::string> entryKey(const DeferredRun& run, const std::string& name) {
    return keyOf(name, [&](const std::string& dir) {
        return platform::resolvedDirectory(run.launcherDirectory + dir);
    });
}

int endOfGroup(DeferredRun& run, int first, int count) {
    GroupNames names(run);
    int index = first;
    for (; index < count; ++index) {
        const std::string& name = getProperty(run.list, operationKey(index, ""));
        const std::string& path = getProperty(run.list, operationKey(index, ".file"));
        const std::string& destination = getProperty(run.list, operationKey(index, ".destination"));
        if ((name != "delete" && name != "rename") || path.empty())
            continue;  // acts on nothing
        const bool alone = (name == "rename" && replacesLauncher(run, destination)) ||
                           movesLauncherAway(run, name, path, destination);
        if (alone || !names.add(path) || (name == "rename" && !names.add(destination)))
            return index == first ? first + 1 : index;
    }
    return index;
}

}  // namespace launcher
