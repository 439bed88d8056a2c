#include "list_tester.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <deque>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <system_error>

#include "support/files.h"
#include "support/temp_dir.h"

namespace list_tester {

namespace fs = std::filesystem;
using Kind = Entry::Kind;

namespace {

// Contents that stand for the two launcher binaries; the installation gets the real ones.
const std::string launcherContent = "<launcher>";
const std::string successorContent = "<new launcher>";
const std::vector<std::string> ownFileNames = {
    "deferred_operations", "deferred_operations.progress", "deferred_operations.progress.tmp",
    "deferred_operations.taken"};

std::string clientProperties(const Target& target, bool variant) {
    return "jvm.classpath=lib/app.jar\njvm.dll.path=" + target.jvmLibrary +
           "\njvm.bin.path=.\nmain.class=Main\n" + (variant ? "# 2\n" : "");
}

std::vector<std::string> split(const std::string& text, const std::string& separators) {
    std::vector<std::string> parts(1);
    for (char c : text) {
        if (separators.find(c) != std::string::npos)
            parts.emplace_back();
        else
            parts.back() += c;
    }
    return parts;
}

std::string join(const std::vector<std::string>& parts) {
    std::string text;
    for (const std::string& part : parts)
        text += (text.empty() ? "" : "/") + part;
    return text;
}

std::string parentOf(const std::string& key) {
    const std::size_t slash = key.rfind('/');
    return slash == std::string::npos ? std::string() : key.substr(0, slash);
}

// ---------------------------------------------------------------------------------------------
// The model: the installation as a map from each path (its stored spelling, '/' between
// directories) to what is there, and the guide's rules applied to it.

struct Node {
    Kind kind = Kind::file;
    std::string content;
    bool readOnly = false;
};
using Tree = std::map<std::string, Node>;

// Where a written path leads.
struct Place {
    enum class Status { inside, outside, missing } status = Status::missing;
    std::string key;  // inside: the stored path (the last part as written when nothing is there)
};

class Model {
  public:
    Model(const Target& target, const Scenario& scenario, Tree initial)
        : tree(std::move(initial)),
          windows_(target.system == System::windows),
          launcher_(target.launcherName),
          scenario_(scenario) {}

    // One start: the list carried out from operation first on. Says where it stopped when an
    // operation failed for good.
    struct End {
        bool gaveUp = false;
        int stoppedAt = 0;
        std::vector<std::string> lines;
    };
    End start(bool listPresent, int first);

    bool exists(const std::string& key) const { return key.empty() || tree.contains(key); }
    std::optional<std::string> find(const std::string& parent, const std::string& name) const;
    bool clientReady() const;

    Tree tree;

  private:
    std::string fold(const std::string& name) const {
        if (!windows_)
            return name;
        std::string folded = name;
        for (char& c : folded)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return folded;
    }
    // The parts of a written path: on Windows trailing dots and blanks go where the system
    // drops them, and "." and ".." are folded in the text.
    std::optional<std::vector<std::string>> parts(const std::string& path) const;
    Place resolve(const std::string& path, bool followLast) const;
    std::optional<std::string> refusal(const std::string& path) const;
    bool missing(const std::string& path) const;
    bool hasChildren(const std::string& key) const;
    // Whether a path reaches the file at the launcher's own path (its spelling or a link on
    // the way; a second name of the file is never made here).
    bool namesLauncher(const std::string& path) const {
        const Place place = resolve(path, false);
        return place.status == Place::Status::inside && fold(place.key) == fold(launcher_);
    }
    bool isReplacement(const Operation& op) const {
        return op.name == "rename" && op.destination && namesLauncher(*op.destination);
    }
    // The first operation after index that puts a new launcher in place, or nothing.
    std::optional<int> nextReplacement(int index) const;
    // The running launcher's deletion or rename away waits for the next replacement, which
    // carries it out together with its own rename: the launcher's path is never left empty.
    bool replace(const std::string& from, const std::string& to);
    bool tryDelete(const std::string& path);
    bool tryRename(const std::string& from, const std::string& to);
    void removeEmptied(const std::string& written, const std::string& key);
    std::set<std::string> keptDirectories() const;

    bool windows_;
    std::string launcher_;
    const Scenario& scenario_;
    // The launcher's deletion or rename away (by its index) waiting for the next replacement.
    std::optional<int> pending_;
    std::string running_;  // where the running launcher is now: Windows can't delete it there
    int current_ = 0;      // the operation being carried out
    int count_ = 0;        // the operations the list has
};

std::optional<std::vector<std::string>> Model::parts(const std::string& path) const {
    std::vector<std::string> result;
    const std::vector<std::string> written = split(path, windows_ ? "\\/" : "/");
    for (std::size_t i = 0; i < written.size(); ++i) {
        std::string part = written[i];
        // Windows drops a single trailing dot of a directory, and every trailing dot and blank
        // of the last part.
        if (windows_ && part != "." && part != "..") {
            if (i + 1 == written.size())
                part.erase(part.find_last_not_of(". ") + 1);
            else if (part.ends_with('.') && !part.ends_with(".."))
                part.pop_back();
        }
        if (windows_ && part == "..") {
            if (result.empty())
                return std::nullopt;
            result.pop_back();
        } else if (!part.empty() && (part != "." || !windows_)) {
            result.push_back(part);
        }
    }
    return result;
}

std::optional<std::string> Model::find(const std::string& parent, const std::string& name) const {
    const std::string exact = parent.empty() ? name : parent + "/" + name;
    if (tree.contains(exact) || !windows_)
        return tree.contains(exact) ? std::optional(exact) : std::nullopt;
    for (const auto& [key, node] : tree)
        if (parentOf(key) == parent && fold(key.substr(key.rfind('/') + 1)) == fold(name))
            return key;
    return std::nullopt;
}

// Links are followed as the system follows them: one inside leads on from the installation's
// root ("@lib"), any other leads out.
Place Model::resolve(const std::string& path, bool followLast) const {
    const auto written = parts(path);
    if (!written)
        return {Place::Status::outside, {}};
    std::deque<std::string> todo(written->begin(), written->end());
    std::vector<std::string> current;
    for (int hops = 0; !todo.empty();) {
        const std::string part = todo.front();
        todo.pop_front();
        const bool last = todo.empty();
        if (part.empty() || part == ".")
            continue;
        if (part == "..") {
            if (current.empty())
                return {Place::Status::outside, {}};
            current.pop_back();
            continue;
        }
        const std::optional<std::string> key = find(join(current), part);
        if (!key) {
            if (!last)
                return {Place::Status::missing, {}};
            current.push_back(part);
            return {Place::Status::inside, join(current)};
        }
        const Node& node = tree.at(*key);
        if (node.kind == Kind::link && (!last || followLast)) {
            // The outside tree holds the directory d and files: through a file, or a file where
            // a directory is wanted, nothing is there.
            if (node.content.front() != '@')
                return {node.content == "d" ? Place::Status::outside : Place::Status::missing, {}};
            if (++hops > 40)
                return {Place::Status::missing, {}};
            current.clear();
            const auto target = split(node.content.substr(1), "/");
            todo.insert(todo.begin(), target.begin(), target.end());
            continue;
        }
        if (node.kind == Kind::file && !last)
            return {Place::Status::missing, {}};
        current = split(*key, "/");
    }
    return {Place::Status::inside, join(current)};
}

// Step 1 of the guide: why the path must not be acted on, or nothing.
std::optional<std::string> Model::refusal(const std::string& path) const {
    const std::string outside = "it leads outside the launcher directory";
    if (path.starts_with("/") || (windows_ && (path.starts_with("\\") || path.find(':') == 1)))
        return outside;
    int depth = 0;
    for (const std::string& part : split(path, windows_ ? "\\/" : "/")) {
        if (part == "..")
            --depth;
        else if (!part.empty() && part != ".")
            ++depth;
        if (depth < 0)
            return outside;
    }
    if (windows_) {
        static const std::set<std::string> devices = {
            "con",  "prn",  "aux",  "nul",  "com1", "com2", "com3",   "com4",
            "com5", "com6", "com7", "com8", "com9", "lpt1", "lpt2",   "lpt3",
            "lpt4", "lpt5", "lpt6", "lpt7", "lpt8", "lpt9", "conin$", "conout$"};
        for (const std::string& part : split(path, "\\/")) {
            std::string base = fold(part.substr(0, part.find_first_of(".:")));
            while (!base.empty() && base.back() == ' ')
                base.pop_back();
            if (devices.contains(base))
                return "it names a device";
        }
    }
    std::vector<std::string> directory = parts(path).value_or(std::vector<std::string>{});
    if (directory.empty())
        return std::nullopt;
    directory.pop_back();
    if (resolve(join(directory), true).status == Place::Status::outside)
        return outside;
    const Place place = resolve(path, false);
    // To Windows a POSIX link is what it leads to: one that leads out is refused as a whole.
    if (windows_ && place.status == Place::Status::inside && tree.contains(place.key) &&
        tree.at(place.key).kind == Kind::link)
        return outside;
    if (place.status == Place::Status::inside && parentOf(place.key).empty()) {
        for (const std::string& own : ownFileNames)
            if (fold(place.key) == fold(own))
                return "it is a file of the launcher itself";
    }
    return std::nullopt;
}

bool Model::missing(const std::string& path) const {
    if (path.empty() || (windows_ && path.find_first_of("*?\"<>|") != std::string::npos))
        return true;
    const bool asDirectory = !windows_ && path.back() == '/';
    const Place place = resolve(path, asDirectory);
    if (place.status != Place::Status::inside || !exists(place.key))
        return true;
    return asDirectory && !place.key.empty() && tree.at(place.key).kind != Kind::directory;
}

bool Model::clientReady() const {
    const auto properties = find("", "launch.properties");
    const auto lib = find("", "lib");
    const auto jar = lib ? find(*lib, "app.jar") : std::nullopt;
    return properties && tree.at(*properties).kind == Kind::file &&
           tree.at(*properties).content.starts_with("jvm.classpath=") && jar &&
           tree.at(*jar).kind == Kind::file;
}

bool Model::hasChildren(const std::string& key) const {
    const auto next = tree.upper_bound(key + "/");
    return next != tree.end() && next->first.starts_with(key + "/");
}

bool Model::tryDelete(const std::string& path) {
    const Place place = resolve(path, !windows_ && path.back() == '/');
    if (place.key.empty() || !tree.contains(place.key))
        return false;
    const Node& node = tree.at(place.key);
    // The running launcher under another name (Windows: the copy moved aside by a replacement)
    // can't be deleted while it runs: its deletion is left to the next start.
    if (windows_ && fold(place.key) == fold(running_))
        return true;
    if (windows_ && (node.kind == Kind::directory || node.readOnly))
        return false;
    if (node.kind == Kind::directory && hasChildren(place.key))
        return false;
    tree.erase(place.key);
    removeEmptied(path, place.key);
    return true;
}

bool Model::tryRename(const std::string& from, const std::string& to) {
    const Place source = resolve(from, false);
    const Place target = resolve(to, false);
    const bool unnamable = windows_ && to.find_first_of("*?\"<>|") != std::string::npos;
    if (to.empty() || unnamable || source.status != Place::Status::inside || source.key.empty() ||
        target.status != Place::Status::inside || target.key.empty() || !tree.contains(source.key))
        return false;
    const std::string targetParent = parentOf(target.key);
    if (!targetParent.empty() &&
        (!tree.contains(targetParent) || tree.at(targetParent).kind != Kind::directory))
        return false;
    if (source.key == target.key)
        return true;
    const Node moved = tree.at(source.key);
    if (moved.kind == Kind::directory && target.key.starts_with(source.key + "/"))
        return false;
    if (tree.contains(target.key)) {
        const Node& there = tree.at(target.key);
        const bool replaceable = moved.kind == Kind::directory
                                     ? there.kind == Kind::directory && !hasChildren(target.key)
                                     : there.kind != Kind::directory;
        if (windows_ || !replaceable)
            return false;
        tree.erase(target.key);
    }
    Tree movedTree;
    for (auto it = tree.lower_bound(source.key);
         it != tree.end() &&
         (it->first == source.key || it->first.starts_with(source.key + "/"));) {
        movedTree[target.key + it->first.substr(source.key.size())] = it->second;
        it = tree.erase(it);
    }
    tree.merge(movedTree);
    removeEmptied(from, source.key);
    return true;
}

// Step 5 of the guide: the directories that held what went, walked upward as the path names
// them; a link on the way is no directory to remove, and ends the walk.
void Model::removeEmptied(const std::string& written, const std::string& key) {
    if ((windows_ && written.find('/') != std::string::npos) || parentOf(key).empty())
        return;
    const std::set<std::string> kept = keptDirectories();
    std::vector<std::string> directory = parts(written).value_or(std::vector<std::string>{});
    while (directory.size() > 1) {
        directory.pop_back();
        const Place place = resolve(join(directory), false);
        if (place.status != Place::Status::inside || place.key.empty() ||
            !tree.contains(place.key) || kept.contains(fold(place.key)))
            return;
        if (tree.at(place.key).kind != Kind::directory || hasChildren(place.key))
            return;
        tree.erase(place.key);
    }
}

std::set<std::string> Model::keptDirectories() const {
    std::set<std::string> kept;
    const auto described = static_cast<int>(scenario_.operations.size());
    for (int j = current_ + 1; j < std::min(count_, described); ++j) {
        const Operation& later = scenario_.operations[j];
        if (later.name != "rename" || !later.destination)
            continue;
        // Where it leads now; otherwise (a directory missing yet, or a way out) the directories
        // its text names before any "..".
        const Place place = resolve(*later.destination, false);
        std::string dir;
        if (place.status == Place::Status::inside) {
            dir = parentOf(place.key);
        } else {
            std::vector<std::string> named =
                parts(*later.destination).value_or(std::vector<std::string>{});
            const auto climb = std::find(named.begin(), named.end(), "..");
            if (climb == named.end() && !named.empty())
                named.pop_back();
            else
                named.erase(climb, named.end());
            std::erase(named, ".");
            // As far as it exists, where its links lead; the rest as written.
            std::size_t existing = named.size();
            for (; existing > 0; --existing) {
                const std::vector<std::string> head(named.begin(),
                                                    named.begin() + static_cast<long>(existing));
                const Place found = resolve(join(head), true);
                if (found.status == Place::Status::inside && exists(found.key)) {
                    dir = found.key;
                    break;
                }
            }
            for (std::size_t i = existing; i < named.size(); ++i)
                dir += (dir.empty() ? "" : "/") + named[i];
        }
        // The directory and every one above it.
        for (; !dir.empty(); dir = parentOf(dir))
            kept.insert(fold(dir));
    }
    return kept;
}

std::optional<int> Model::nextReplacement(int index) const {
    const int described = std::min(count_, static_cast<int>(scenario_.operations.size()));
    for (int j = index + 1; j < described; ++j)
        if (isReplacement(scenario_.operations[j]))
            return j;
    return std::nullopt;
}

bool Model::replace(const std::string& from, const std::string& to) {
    // Windows moves the running launcher aside first, to the copy's name: a file there goes
    // first, a link that leads out can't go and prevents it.
    const std::string copy = launcher_ + ".old";
    if (windows_ && !(pending_ && scenario_.operations[*pending_].name == "rename") &&
        tree.contains(copy)) {
        if (tree.at(copy).kind == Kind::link)
            return false;
        tree.erase(copy);
    }
    const Node old = tree.at(launcher_);
    tree.erase(launcher_);
    if (!tryRename(from, to)) {
        tree[launcher_] = old;  // Windows puts it back at once; Linux never took it away
        return false;
    }
    const Operation* away = pending_ ? &scenario_.operations[*pending_] : nullptr;
    std::string kept;  // where the old launcher goes: nowhere on Linux unless renamed away
    if (away && away->name == "rename")
        kept = resolve(*away->destination, false).key;
    else if (windows_)
        kept = launcher_ + ".old";
    if (!kept.empty()) {
        tree[kept] = old;
        if (fold(running_) == fold(launcher_))
            running_ = kept;
    }
    pending_.reset();
    return true;
}

Model::End Model::start(bool listPresent, int first) {
    End end;
    // A copy moved aside by an earlier start goes at every start, but never what a link leads
    // to: on Linux the link itself goes, on Windows (Wine acts on the target) it stays.
    if (const auto old = tree.find(launcher_ + ".old");
        old != tree.end() && (old->second.kind == Kind::file || !windows_))
        tree.erase(old);
    if (!listPresent || !scenario_.size) {
        end.lines.emplace_back("Size operation not found.");
        return end;
    }
    const long long size = std::atoll(scenario_.size->c_str());
    const int count = static_cast<int>(std::clamp<long long>(size, 0, 1000));
    count_ = count;
    running_ = launcher_;
    // A resumed run finds again what the operations it passed over left waiting.
    pending_.reset();
    for (int j = 0; j < std::min(first, static_cast<int>(scenario_.operations.size())); ++j) {
        const Operation& op = scenario_.operations[j];
        if (isReplacement(op))
            pending_.reset();
        else if ((op.name == "delete" || op.name == "rename") && namesLauncher(op.file) &&
                 nextReplacement(j).value_or(-1) >= first)
            pending_ = j;
    }
    const auto keep = [&](const std::string& path) {
        end.lines.push_back("Keep file '" + path +
                            "' - it is the running launcher and nothing replaces it");
    };
    for (int i = first; i < count; ++i) {
        current_ = i;
        const bool described = i < static_cast<int>(scenario_.operations.size());
        const Operation op = described ? scenario_.operations[i] : Operation{};
        const std::string destination = op.destination.value_or("");
        if (op.name == "delete" || op.name == "rename") {
            std::optional<std::string> why = refusal(op.file);
            if (!why && op.name == "rename")
                why = refusal(destination);
            if (why) {
                end.lines.push_back("Refuse " + op.name + " file '" + op.file + "'" +
                                    (op.name == "rename" ? " to '" + destination + "'" : ""));
                continue;
            }
        }
        if (missing(op.file)) {
            end.lines.push_back("Skip " + op.name + " file '" + op.file + "' - it doesn't exist");
            // A replacement that never arrived: the launcher stays as it is.
            if (pending_ && isReplacement(op)) {
                keep(scenario_.operations[*pending_].file);
                pending_.reset();
            }
            continue;
        }
        const bool away = (op.name == "delete" || op.name == "rename") && namesLauncher(op.file) &&
                          !isReplacement(op);
        if (away) {
            if (nextReplacement(i))
                pending_ = i;
            else
                keep(op.file);
            continue;
        }
        const bool done = op.name == "delete"   ? tryDelete(op.file)
                          : isReplacement(op)   ? replace(op.file, destination)
                          : op.name == "rename" ? tryRename(op.file, destination)
                                                : true;
        if (!done) {
            end.lines.push_back(op.name == "delete"
                                    ? "Cannot remove file '" + op.file + "'"
                                    : "Cannot rename file " + op.file + " to " + destination);
            end.gaveUp = true;
            end.stoppedAt = i;
            break;
        }
    }
    return end;
}

}  // namespace

namespace {

// ---------------------------------------------------------------------------------------------
// Random installations and lists.

class Generator {
  public:
    Generator(const Target& target, std::uint64_t seed)
        : target_(target),
          windows_(target.system == System::windows),
          separator_(windows_ ? "\\" : "/"),
          random_(seed) {}

    Scenario make() {
        Scenario scenario;
        layOut(scenario);
        const int operations = 1 + below(8);
        while (static_cast<int>(scenario.operations.size()) < operations)
            addOperation(scenario);
        const auto count = static_cast<int>(scenario.operations.size());
        const std::vector<std::string> sizes = {std::to_string(count + 1),
                                                std::to_string(count + 3),
                                                std::to_string(count - 1),
                                                "0",
                                                "-1",
                                                "",
                                                " " + std::to_string(count),
                                                std::to_string(count) + "x",
                                                "abc"};
        if (below(10) < 7)
            scenario.size = std::to_string(count);
        else if (below(10) > 0)
            scenario.size = pick(sizes);
        if (scenario.size && below(10) == 0)
            scenario.entries.push_back({Kind::file, "deferred_operations.progress", "garbage"});
        scenario.secondStart = below(5) == 0;
        if (target_.killsAtPause && below(4) == 0)
            scenario.killAtPause = 1 + below(41);
        return scenario;
    }

  private:
    int below(int n) { return static_cast<int>(random_() % static_cast<std::uint64_t>(n)); }
    const std::string& pick(const std::vector<std::string>& from) {
        return from[below(static_cast<int>(from.size()))];
    }
    bool has(const Scenario& scenario, const std::string& path) const {
        return std::any_of(scenario.entries.begin(), scenario.entries.end(),
                           [&](const Entry& entry) { return entry.path == path; });
    }

    void layOut(Scenario& scenario) {
        const std::vector<std::string> dirs = {"", "lib/", "ext/", "stage/", "upd/", "a/", "a/b/"};
        const std::vector<std::string> names = {"x.jar", "y.jar", "version", "z.txt"};
        for (int i = 2 + below(6); i > 0; --i) {
            const std::string path = pick(dirs) + pick(names);
            if (!has(scenario, path))
                scenario.entries.push_back({Kind::file, path, "content " + path});
        }
        if (below(3) == 0)
            scenario.entries.push_back({Kind::directory, pick({"empty", "a/e", "stage"}), ""});
        if (below(3) == 0)
            scenario.entries.push_back(
                {Kind::file, "upd/" + target_.launcherName, successorContent});
        if (below(4) == 0)
            scenario.entries.push_back(
                {Kind::file, target_.launcherName + ".old", "stale", windows_ && below(2) == 0});
        else if (below(6) == 0)
            scenario.entries.push_back({Kind::link, target_.launcherName + ".old", "f.txt"});
        if (below(5) == 0)
            scenario.entries.push_back({Kind::file, "launcher.log", "log"});
        if (below(4) == 0)
            scenario.entries.push_back(
                {Kind::file, "upd/launch.properties", clientProperties(target_, true)});
        if (below(5) < 2)
            scenario.entries.push_back({Kind::link, "out", "d"});
        if (below(5) < 2)
            scenario.entries.push_back({Kind::link, "outf", "f.txt"});
        if (!windows_ && below(5) < 2)
            scenario.entries.push_back({Kind::link, "self", "@"});
        if (!windows_ && below(4) == 0)
            scenario.entries.push_back({Kind::link, "lnk", "@lib"});
    }

    // Some path of the installation, files most often.
    std::string existing(const Scenario& scenario, bool anyKind = false) {
        std::vector<std::string> paths = {"lib/app.jar", "launch.properties"};
        for (const Entry& entry : scenario.entries)
            if (anyKind || entry.kind == Kind::file)
                paths.push_back(entry.path);
        if (anyKind)
            paths.insert(paths.end(), {"lib", "upd", "a", "ext"});
        return pick(paths);
    }

    std::string written(const std::string& path) {
        std::string text = path;
        std::replace(text.begin(), text.end(), '/', separator_[0]);
        return text;
    }

    // The path as an updater might also write it: another spelling of the same place.
    std::string spelled(const std::string& path) {
        const std::size_t slash = path.find('/');
        const std::string dir = slash == std::string::npos ? "" : path.substr(0, slash);
        const std::string rest = slash == std::string::npos ? path : path.substr(slash + 1);
        std::string upper = path;
        for (char& c : upper)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        switch (below(windows_ ? 7 : 6)) {
            case 0:
                return "." + separator_ + written(path);
            case 1:
                return dir.empty() ? written(path) : dir + separator_ + separator_ + written(rest);
            case 2:
                return dir.empty() ? written(path) : written(dir + "/../" + dir + "/" + rest);
            case 3:
                return written(upper);
            case 4:
                return windows_
                           ? (dir.empty() ? path + "." : dir + "." + separator_ + written(rest))
                           : "self/" + path;
            case 5:
                return windows_
                           ? (dir.empty() ? path + " " : dir + " " + separator_ + written(rest))
                           : (dir.empty() ? path : "lnk/" + rest);
            default:
                return written("missing/../" + path);  // folded in the text on Windows only
        }
    }

    std::string path(const std::string& relative) {
        return below(3) == 0 ? spelled(relative) : written(relative);
    }

    std::string hostile() {
        std::vector<std::string> paths = {"../outside/f.txt",
                                          "..",
                                          "lib/../../outside/f.txt",
                                          "deferred_operations",
                                          "./deferred_operations.progress",
                                          "deferred_operations.progress.tmp",
                                          "deferred_operations.taken",
                                          "out/g.txt",
                                          "outf",
                                          "out",
                                          "lib/*.jar",
                                          "a\"b",
                                          "x<y>",
                                          "p|q",
                                          "NUL",
                                          "lib/aux.txt",
                                          "con",
                                          "COM1.txt",
                                          "CONOUT$",
                                          "nul:",
                                          "gone/x.jar",
                                          ""};
        if (windows_)
            paths.insert(paths.end(),
                         {"C:\\nonexistent-list-tester\\x", "\\nonexistent-list-tester\\x",
                          "DEFERRED_OPERATIONS", "deferred_operations.", "ext.\\y.jar"});
        else
            paths.insert(paths.end(), {"/nonexistent-list-tester/x", "self/deferred_operations",
                                       "self/../outside/f.txt"});
        return written(pick(paths));
    }

    void add(Scenario& scenario, const std::string& name, const std::string& file,
             std::optional<std::string> destination = std::nullopt) {
        scenario.operations.push_back({name, file, std::move(destination)});
    }

    void addOperation(Scenario& scenario) {
        const std::vector<std::string> dirs = {"", "lib/", "ext/", "stage/", "new/", "a/b/"};
        const std::vector<std::string> names = {"x.jar", "y.jar", "version", "w.txt"};
        switch (below(14)) {
            case 0:
            case 1:
                add(scenario, "delete", path(existing(scenario)));
                break;
            case 2:
                add(scenario, "rename", path(existing(scenario)), path(pick(dirs) + pick(names)));
                break;
            case 3: {
                const std::string replaced = existing(scenario);
                add(scenario, "delete", path(replaced));
                add(scenario, "rename", path(existing(scenario)), path(replaced));
                break;
            }
            case 4:
            case 13:
                if (selfUpdated_)
                    add(scenario, "delete", path(existing(scenario)));
                else
                    addSelfUpdate(scenario);
                break;
            case 5:
                add(scenario, pick({"delete", "rename"}), hostile(), written("ext/h.txt"));
                break;
            case 6:
                add(scenario, "rename", path(existing(scenario)), hostile());
                break;
            case 7:
                add(scenario, pick({"Delete", "move", "", "rename "}), path(existing(scenario)));
                break;
            case 8:
                add(scenario, "delete", path(pick(dirs) + "gone.jar"));
                break;
            case 9: {
                const std::string from = existing(scenario);
                add(scenario, "rename", path(from), written("stage/chain1"));
                add(scenario, "rename", written("stage/chain1"), path(pick(dirs) + "chain2"));
                break;
            }
            case 10:
                add(scenario, "rename", path(existing(scenario)));
                break;
            case 11:
                add(scenario, "rename", path(existing(scenario, true)),
                    path(pick({"moved", "a/b/c", "lib/sub", "ext"})));
                break;
            default:
                add(scenario, "delete", path(existing(scenario, true)));
                break;
        }
    }

    // The launcher replaced as updaters do it: deleted or renamed away (or neither), maybe an
    // operation that fails or is skipped in between, then the new one renamed in, which may be
    // missing. Once a list: two deletions waiting for one replacement would contradict each other.
    void addSelfUpdate(Scenario& scenario) {
        const std::string& launcher = target_.launcherName;
        selfUpdated_ = true;
        const int before = below(4);
        if (before < 2)
            add(scenario, "delete", path(launcher));
        else if (before == 2)
            add(scenario, "rename", path(launcher), written(launcher + ".bak"));
        switch (below(6)) {
            case 0:
                add(scenario, "rename", written("lib/app.jar"), written("missing/app.jar"));
                break;
            case 1:
                add(scenario, "delete", written("gone/x.jar"));
                break;
            case 2:
                addOperation(scenario);
                break;
            default:
                break;
        }
        if (below(4) > 0)
            add(scenario, "rename", written("upd/" + launcher), path(launcher));
        if (below(3) > 0 && !has(scenario, "upd/" + launcher))
            scenario.entries.push_back({Kind::file, "upd/" + launcher, successorContent});
    }

    const Target& target_;
    bool windows_;
    std::string separator_;
    std::mt19937_64 random_;
    bool selfUpdated_ = false;
};

// ---------------------------------------------------------------------------------------------
// Installations on disk.

std::string listText(const Scenario& scenario) {
    std::string text = scenario.size ? "size=" + *scenario.size + "\n" : "";
    for (std::size_t i = 0; i < scenario.operations.size(); ++i) {
        const Operation& op = scenario.operations[i];
        const std::string key = "operation." + std::to_string(i);
        text += key + "=" + op.name + "\n" + key + ".file=" + op.file + "\n";
        if (op.destination)
            text += key + ".destination=" + *op.destination + "\n";
    }
    return text;
}

// What the model starts from: the client's files, the entries, the list.
Tree initialTree(const Target& target, const Scenario& scenario) {
    Tree tree;
    const auto put = [&](const std::string& path, Node node) {
        for (std::string dir = parentOf(path); !dir.empty(); dir = parentOf(dir))
            tree[dir] = {Kind::directory, "", false};
        tree[path] = std::move(node);
    };
    put(target.launcherName, {Kind::file, launcherContent, false});
    put("launch.properties", {Kind::file, clientProperties(target, false), false});
    put("lib/app.jar", {Kind::file, "app", false});
    for (const Entry& entry : scenario.entries)
        put(entry.path, {entry.kind, entry.content, entry.readOnly});
    put("deferred_operations", {Kind::file, listText(scenario), false});
    return tree;
}

void linkOrCopy(const fs::path& from, const fs::path& to) {
    std::error_code error;
    fs::create_hard_link(from, to, error);
    if (error)
        testing_support::copyExecutable(from, to);
}

// Everything under dir, links not followed; the launcher binaries known by what they are.
Tree snapshot(const fs::path& dir, const fs::path& outside, const fs::path& binaries,
              const std::string& launcherName) {
    Tree tree;
    for (auto it = fs::recursive_directory_iterator(dir); it != fs::recursive_directory_iterator();
         ++it) {
        const std::string key = it->path().lexically_relative(dir).generic_string();
        if (it->is_symlink()) {
            const std::string target = fs::read_symlink(it->path()).string();
            const std::string base = dir.string();
            tree[key] = {Kind::link,
                         target == base ? "@"
                         : target.starts_with(base + "/")
                             ? "@" + target.substr(base.size() + 1)
                             : fs::path(target).lexically_relative(outside).generic_string(),
                         false};
        } else if (it->is_directory()) {
            tree[key] = {Kind::directory, "", false};
        } else if (fs::equivalent(it->path(), binaries / launcherName)) {
            tree[key] = {Kind::file, launcherContent, false};
        } else if (fs::equivalent(it->path(), binaries / (launcherName + ".successor"))) {
            tree[key] = {Kind::file, successorContent, false};
        } else {
            tree[key] = {Kind::file, testing_support::readFile(it->path()), false};
        }
    }
    return tree;
}

std::string show(const std::optional<Node>& node) {
    if (!node)
        return "nothing";
    switch (node->kind) {
        case Kind::directory:
            return "a directory";
        case Kind::link:
            return "a link to " + node->content;
        case Kind::file:
            break;
    }
    std::string content = node->content.substr(0, 40);
    std::replace(content.begin(), content.end(), '\n', '|');
    return "a file \"" + content + "\"";
}

// Where two trees differ.
std::string differences(const Tree& expected, const Tree& found) {
    std::set<std::string> keys;
    for (const auto* tree : {&expected, &found})
        for (const auto& [key, node] : *tree)
            keys.insert(key);
    std::string text;
    for (const std::string& key : keys) {
        const auto at = [&](const Tree& tree) -> std::optional<Node> {
            const auto it = tree.find(key);
            if (it == tree.end())
                return std::nullopt;
            Node node = it->second;
            node.readOnly = false;
            if (key == "deferred_operations.progress")
                node.content.clear();  // the launcher's own record: only whether it is there
            return node;
        };
        const auto want = at(expected);
        const auto have = at(found);
        if (show(want) != show(have))
            text += "  " + key + ": expected " + show(want) + ", found " + show(have) + "\n";
    }
    return text;
}

// The lines of the list's run that say what became of an operation.
std::vector<std::string> reportLines(const std::string& out) {
    std::vector<std::string> lines;
    for (std::string line : split(out, "\n")) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.starts_with("Refuse "))
            lines.push_back(line.substr(0, line.rfind(" - ")));
        else if (line.starts_with("Skip ") || line.starts_with("Keep ") ||
                 line.starts_with("Size operation not found.") ||
                 line.starts_with("Cannot remove file") || line.starts_with("Cannot rename file"))
            lines.push_back(line);
    }
    return lines;
}

std::string joinLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines)
        text += "    " + line + "\n";
    return text;
}

// The output with its Re-trying lines counted, not listed.
std::string shortened(const std::string& out) {
    std::string text;
    int retries = 0;
    for (const std::string& line : split(out, "\n")) {
        if (line.starts_with("Re-trying #"))
            ++retries;
        else if (!line.empty())
            text += "    " + line + "\n";
    }
    return text +
           (retries > 0 ? "    (and " + std::to_string(retries) + " Re-trying lines)\n" : "");
}

bool namesLauncher(const Scenario& scenario, const std::string& launcher) {
    return std::any_of(scenario.operations.begin(), scenario.operations.end(),
                       [&](const Operation& op) {
                           return op.file.find(launcher) != std::string::npos ||
                                  op.destination.value_or("").find(launcher) != std::string::npos;
                       });
}

}  // namespace

std::string Scenario::describe() const {
    std::string text = "  installation (besides launcher, launch.properties, lib/app.jar):\n";
    for (const Entry& entry : entries)
        text += "    " + entry.path +
                (entry.kind == Kind::directory ? "/"
                 : entry.kind == Kind::link    ? " -> " + entry.content
                                               : "") +
                (entry.readOnly ? " (read-only)" : "") + "\n";
    text += "  deferred_operations:\n";
    for (const std::string& line : split(listText(*this), "\n"))
        if (!line.empty())
            text += "    " + line + "\n";
    if (killAtPause > 0)
        text += "  the first start killed in its pause " + std::to_string(killAtPause) + "\n";
    if (secondStart)
        text += "  and a second start\n";
    return text;
}

ListTester::ListTester(Target target) : target_(std::move(target)) {
    static const testing_support::TempDir binaries(target_.workDirectory);
    binaries_ = binaries.path();
    const fs::path launcher = binaries_ / target_.launcherName;
    if (!fs::exists(launcher)) {
        // The successor runs as the launcher does: bytes after the end of an executable are
        // never loaded.
        testing_support::copyExecutable(target_.launcherBinary, launcher);
        testing_support::copyExecutable(target_.launcherBinary,
                                        binaries_ / (target_.launcherName + ".successor"));
        std::ofstream(binaries_ / (target_.launcherName + ".successor"),
                      std::ios::binary | std::ios::app)
            << "successor";
    }
}

Scenario ListTester::generate(std::uint64_t seed) const {
    return Generator(target_, seed).make();
}

std::optional<std::string> ListTester::check(const Scenario& scenario) const {
    const testing_support::TempDir dir(target_.workDirectory);
    const fs::path root = dir.path() / "inst";
    const fs::path outside = dir.path() / "outside";
    const fs::path record = dir.path() / "record";
    testing_support::writeFile(outside / "f.txt", "outside f");
    testing_support::writeFile(outside / "d/g.txt", "outside g");
    const Tree outsideBefore = snapshot(outside, outside, binaries_, target_.launcherName);

    Model model(target_, scenario, initialTree(target_, scenario));
    fs::create_directories(root);
    for (const auto& [key, node] : model.tree) {
        const fs::path path = root / key;
        if (node.kind == Kind::directory) {
            fs::create_directories(path);
        } else if (node.kind == Kind::link) {
            fs::create_symlink(node.content.front() == '@' ? root / node.content.substr(1)
                                                           : outside / node.content,
                               path);
        } else if (node.content == launcherContent) {
            linkOrCopy(binaries_ / target_.launcherName, path);
        } else if (node.content == successorContent) {
            linkOrCopy(binaries_ / (target_.launcherName + ".successor"), path);
        } else {
            testing_support::writeFile(path, node.content);
            if (node.readOnly)
                fs::permissions(
                    path, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
        }
    }

    std::string problems;
    bool listPresent = true;
    int first = 0;
    int resumedAfterKill = 0;  // the operation a killed start stopped at
    const int starts = scenario.secondStart || scenario.killAtPause > 0 ||
                               namesLauncher(scenario, target_.launcherName)
                           ? 2
                           : 1;
    if (scenario.killAtPause > 0 && !target_.killsAtPause)
        return "this target can't stop the launcher at a pause\n";
    for (int startNumber = 1; startNumber <= starts; ++startNumber) {
        const std::string which = startNumber == 1 ? "first start" : "second start";
        Model::End expected = model.start(listPresent, first);
        const bool listRan = listPresent && scenario.size;
        listPresent = expected.gaveUp || !scenario.size;
        first = expected.gaveUp ? expected.stoppedAt : 0;
        if (listRan && !expected.gaveUp) {
            model.tree.erase("deferred_operations");
            model.tree.erase("deferred_operations.progress");
        } else if (expected.gaveUp) {
            model.tree["deferred_operations.progress"] = {Kind::file, "", false};
        }
        // Every failure of the model is for good, so the pauses of a start all fall in the
        // operation it gives up: killed in one of them, it leaves what giving up leaves, without
        // saying so.
        const int killAt = startNumber == 1 ? scenario.killAtPause : 0;
        const bool killed = killAt > 0 && expected.gaveUp;
        if (killed)
            expected.lines.pop_back();

        std::error_code ignored;
        fs::remove(record, ignored);
        const Start start = target_.start(root, record, killAt);
        const std::string output = "  output of the " + which + ":\n" + shortened(start.out);
        if (start.timedOut)
            return problems + which + " did not end\n" + output;
        std::vector<std::string> lines = reportLines(start.out);
        // After a kill, the operations carried out before the one killed in, between the last
        // recorded count and it, may run again: they find their paths gone or are refused again.
        for (int j = 0; j < resumedAfterKill && !lines.empty(); ++j) {
            const Operation& op = scenario.operations[static_cast<std::size_t>(j)];
            if (lines.front() == "Skip " + op.name + " file '" + op.file + "' - it doesn't exist" ||
                lines.front().starts_with("Refuse " + op.name + " file '" + op.file + "'"))
                lines.erase(lines.begin());
        }
        resumedAfterKill = killed ? expected.stoppedAt : 0;
        if (lines != expected.lines)
            problems += which + ": lines about the list\n  expected:\n" +
                        joinLines(expected.lines) + "  found:\n" + joinLines(lines);
        const bool clientExpected = !expected.gaveUp && model.clientReady();
        if (start.clientRan != clientExpected ||
            (expected.gaveUp && (start.exitCode == 1) == killed))
            problems += which + ": " +
                        (clientExpected ? "the client did not run" : "the client ran") +
                        ", exit code " + std::to_string(start.exitCode) + "\n";
        const Tree found = snapshot(root, outside, binaries_, target_.launcherName);
        if (const std::string diff = differences(model.tree, found); !diff.empty())
            problems += which + ": the installation differs from the guide's rules\n" + diff;
        if (!differences(outsideBefore, snapshot(outside, outside, binaries_, target_.launcherName))
                 .empty() ||
            std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()) > 3)
            problems += which + ": something outside the installation changed\n";
        // Whatever the list does and wherever the start ends, killed or not, a launcher is at
        // the launcher's path: the old one or the new one, or what the list itself renamed there.
        const auto launcher = found.find(target_.launcherName);
        const auto expectedThere = model.tree.find(target_.launcherName);
        if (launcher == found.end() ||
            (launcher->second.content != launcherContent &&
             launcher->second.content != successorContent &&
             (expectedThere == model.tree.end() ||
              expectedThere->second.content != launcher->second.content)))
            problems +=
                which + ": the launcher's path holds " +
                show(launcher == found.end() ? std::nullopt : std::optional(launcher->second)) +
                "\n";
        if (!problems.empty())
            return problems + output;
        if (launcher->second.content != launcherContent &&
            launcher->second.content != successorContent)
            break;  // nothing there to start again
    }
    return std::nullopt;
}

Scenario ListTester::shrink(Scenario scenario) const {
    // Greedy: drop one operation or entry at a time while the scenario still fails; bounded,
    // since every check is a start (or two), and under Wine one may wait ten seconds.
    const int limit = target_.pausesTakeTime ? 6 : 60;
    int checks = 0;
    const auto stillFails = [&](const Scenario& smaller) {
        return ++checks <= limit && check(smaller).has_value();
    };
    for (bool smaller = true; smaller && checks < limit;) {
        smaller = false;
        for (std::size_t i = scenario.operations.size(); i-- > 0 && !smaller;) {
            Scenario candidate = scenario;
            candidate.operations.erase(candidate.operations.begin() + static_cast<long>(i));
            if (scenario.size == std::to_string(scenario.operations.size()))
                candidate.size = std::to_string(candidate.operations.size());
            smaller = stillFails(candidate);
            if (smaller)
                scenario = candidate;
        }
        for (std::size_t i = scenario.entries.size(); i-- > 0 && !smaller;) {
            Scenario candidate = scenario;
            candidate.entries.erase(candidate.entries.begin() + static_cast<long>(i));
            smaller = stillFails(candidate);
            if (smaller)
                scenario = candidate;
        }
        if (!smaller && scenario.killAtPause > 0) {
            Scenario candidate = scenario;
            candidate.killAtPause = 0;
            smaller = stillFails(candidate);
            if (smaller)
                scenario = candidate;
        }
        if (!smaller && scenario.secondStart) {
            Scenario candidate = scenario;
            candidate.secondStart = false;
            smaller = stillFails(candidate);
            if (smaller)
                scenario = candidate;
        }
    }
    return scenario;
}

std::string ListTester::checkScenario(const Scenario& scenario) const {
    const std::optional<std::string> failure = check(scenario);
    return failure ? "list:\n" + scenario.describe() + *failure : std::string();
}

std::string ListTester::checkSeeds(std::uint64_t firstSeed, int count) const {
    std::string report;
    int failures = 0;
    for (std::uint64_t seed = firstSeed; count > 0; ++seed) {
        const Scenario scenario = generate(seed);
        if (target_.pausesTakeTime) {
            Model model(target_, scenario, initialTree(target_, scenario));
            if (model.start(true, 0).gaveUp)
                continue;
        }
        --count;
        // A few failures in full are enough to go on; the rest by their seeds, except where a
        // failure may wait ten seconds at every start: there the run stops.
        if (failures >= 3 && target_.pausesTakeTime)
            return report + "(stopped after " + std::to_string(failures) + " failing lists)\n";
        if (failures >= 3) {
            if (check(scenario))
                report += "seed " + std::to_string(seed) + " fails too\n";
            continue;
        }
        if (check(scenario)) {
            ++failures;
            std::string shrunk = checkScenario(shrink(scenario));
            if (shrunk.empty())
                shrunk = "(passes once shrunk) " + checkScenario(scenario);
            report += "seed " + std::to_string(seed) + ", shrunk " + shrunk + "\n";
        }
    }
    return report;
}

}  // namespace list_tester
