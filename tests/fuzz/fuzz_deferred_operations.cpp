// The deferred-operations list, as arbitrary bytes, carried out against a small scratch
// installation that is laid out afresh for every input.
//
// Safety: every path of the list is joined to exeDir, the scratch directory, and a list value
// with a ".." component (up to its first NUL, the text the system calls see) is refused before
// anything runs. The scratch tree holds no symbolic link that leads out of it (only a link to
// itself), and no operation can create one, so no path of an accepted list resolves outside
// the scratch directory. A sentinel file beside the scratch directory is checked after every
// run: if anything outside were touched, the fuzzer stops at once.
//
// Exits: a run gives up (and would end the process) after the 41st failed attempt. The pause
// seam counts the pauses of a run and throws at the 41st, so the run is abandoned just before
// that; everything up to it, retries included, runs as in the launcher.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "config/numbers.h"
#include "config/process_state.h"
#include "config/property_file.h"
#include "deferred/deferred_operations.h"
#include "deferred/operation_count.h"
#include "platform/durable_files.h"
#include "platform/files_and_directories.h"

namespace fs = std::filesystem;

namespace {

constexpr int largestAcceptedList = 64;  // longer lists only spend time on "Skip" lines
constexpr unsigned pausesOfAGivenUpRun = 41;

struct RunGivenUp {};

fs::path baseDir;     // holds the sentinel and the scratch installation
fs::path scratchDir;  // the installation, exeDir
unsigned pauses = 0;

const std::vector<std::pair<std::string, std::string>> treeFiles = {
    {"a.jar", "content a"},
    {"lib/ext/b.jar", "content b"},
    {"lib/old/c__V1.jar", "content c"},
    {"lib/keep.txt", "content keep"},
    {"sub/deep/er/d.txt", "content d"},
    {"pct%d/e.txt", "content e"},
    {"launch.properties", "content launch"},
};
const std::string sentinelContent = "outside the installation";

void check(bool condition) {
    if (!condition)
        std::abort();
}

void countPause(unsigned) {
    if (++pauses == pausesOfAGivenUpRun)
        throw RunGivenUp{};
}

std::string readAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeAll(const fs::path& path, std::string_view bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

bool climbsOut(std::string_view value) {
    value = value.substr(0, value.find('\0'));
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = value.find_first_of("/\\", start);
        if (value.substr(start, end - start) == "..")
            return true;
        if (end == std::string_view::npos)
            return false;
        start = end + 1;
    }
}

bool acceptable(const launcher::PropertyMap& list) {
    for (const auto& [key, value] : list) {
        if (climbsOut(value))
            return false;
    }
    return launcher::parseLeadingInt(launcher::getProperty(list, "size")) <= largestAcceptedList;
}

void layOutScratch(std::string_view listBytes) {
    std::error_code ignored;
    fs::remove_all(scratchDir, ignored);
    fs::create_directories(scratchDir / "empty");
    for (const auto& [file, content] : treeFiles)
        writeAll(scratchDir / file, content);
    fs::create_symlink("loop", scratchDir / "loop");
    writeAll(scratchDir / "deferred_operations", listBytes);
}

// Nothing beside the scratch directory changed.
void checkOutside() {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(baseDir))
        names.insert(entry.path().filename().string());
    check(names == std::set<std::string>{"sentinel", "install"});
    check(readAll(baseDir / "sentinel") == sentinelContent);
}

// Deletions and renames only remove or move: every file still holds content that was there
// before, and no content exists twice. The progress record is the launcher's own.
void checkNothingInvented(std::string_view listBytes) {
    std::multiset<std::string> known;
    for (const auto& [file, content] : treeFiles)
        known.insert(content);
    known.insert(std::string(listBytes));
    std::error_code error;
    for (auto entry = fs::recursive_directory_iterator(scratchDir, error);
         entry != fs::recursive_directory_iterator(); entry.increment(error)) {
        check(!error);
        if (entry->is_symlink() || !entry->is_regular_file())
            continue;
        const std::string content = readAll(entry->path());
        if (content.starts_with("deferred_operations progress\n"))
            continue;
        const auto found = known.find(content);
        check(found != known.end());
        known.erase(found);
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The list's messages would only slow the fuzzer down.
    check(std::freopen("/dev/null", "w", stdout) != nullptr);
    char pattern[] = "/tmp/fuzz-deferred-XXXXXX";
    check(::mkdtemp(pattern) != nullptr);
    baseDir = pattern;
    scratchDir = baseDir / "install";
    writeAll(baseDir / "sentinel", sentinelContent);
    platform::systemCalls().sleepMilliseconds = countPause;
    std::atexit([] {
        std::error_code ignored;
        fs::remove_all(baseDir, ignored);
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view listBytes(reinterpret_cast<const char*>(data), size);
    launcher::PropertyMap list;
    launcher::parseProperties(list, listBytes);
    if (!acceptable(list))
        return -1;  // kept out of the corpus

    layOutScratch(listBytes);
    launcher::exeDir = scratchDir.string() + "/";
    check(::chdir(scratchDir.c_str()) == 0);
    launcher::deferredOps.clear();
    const std::optional<launcher::ListIdentity> loadedList = launcher::loadDeferredOperations();
    check(launcher::deferredOps == list);

    pauses = 0;
    bool gaveUp = false;
    try {
        gaveUp = launcher::runDeferredOperations(loadedList).failed();
    } catch (const RunGivenUp&) {
        gaveUp = true;
    }

    checkOutside();
    checkNothingInvented(listBytes);
    const bool touchesOwnFiles = listBytes.find("deferred_operations") != std::string_view::npos;
    if (list.contains("size") && !gaveUp && !touchesOwnFiles) {
        check(!fs::exists(fs::symlink_status(scratchDir / "deferred_operations")));
        check(!fs::exists(fs::symlink_status(scratchDir / "deferred_operations.progress")));
    }
    if (!list.contains("size"))
        check(readAll(scratchDir / "deferred_operations") == listBytes);
    return 0;
}
