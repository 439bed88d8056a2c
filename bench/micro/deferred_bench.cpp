// 1,000 renames and 1,000 deletes carried out through the launcher's list (loaded from the file
// deferred_operations, as at start-up), next to the system calls that the list's operations
// consist of, made directly: per operation the existence test (lstat), the rename or remove, and
// the attempt to remove the emptied directory (rmdir of lib, which fails while lib holds files).
// The list makes its operations durable group by group (one group here: every name is distinct),
// and counts its syncs; next to it the same operations followed by one syncfs, the least a
// durable update costs; the same list with the flushes left out tells what they cost, and the
// record alone what its writes cost.
//
// Before its first operation a run writes what the list acts on through to the disk (one
// syncfs of the installation's file system). Its cost is the updater's unsynced data: a typical
// update (delete the old jar and version, move the new version in) is run right after 4 MiB
// were written without a sync, with and without that flush.
#include <benchmark/benchmark.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "config/process_state.h"
#include "config/property_file.h"
#include "deferred/deferred_operations.h"
#include "deferred/progress_record.h"
#include "platform/durable_files.h"
#include "platform/files_and_directories.h"
#include "scratch_files.h"
#include "support/scoped_system_calls.h"

namespace {

constexpr int operations = 1000;

enum class Kind { rename, remove };
enum class Flushes { kept, leftOut, fileSystemLeftOut };

std::string fileName(const char* stem, int i) {
    char name[32];
    std::snprintf(name, sizeof name, "lib/%s%04d.jar", stem, i);
    return name;
}

// lib/ with the files the operations act on, before every timed pass. Renamed files are moved
// back; deleted ones are made anew, so every delete frees a real file.
void layOutFiles(const std::filesystem::path& root) {
    std::filesystem::create_directory(root / "lib");
    for (int i = 0; i < operations; ++i) {
        const auto moved = root / fileName("new", i);
        if (std::filesystem::exists(moved))
            std::filesystem::rename(moved, root / fileName("old", i));
        else
            bench::touch(root / fileName("old", i));
    }
    ::sync();  // what the timed pass finds, as an installation is found: on the disk
}

std::string listText(Kind kind) {
    std::string text = "size=" + std::to_string(operations) + "\n";
    for (int i = 0; i < operations; ++i) {
        const std::string key = "operation." + std::to_string(i);
        text += key + ".file=" + fileName("old", i) + "\n";
        text += key + "=" + (kind == Kind::rename ? "rename" : "delete") + "\n";
        if (kind == Kind::rename)
            text += key + ".destination=" + fileName("new", i) + "\n";
    }
    return text;
}

// The syncs of the runs, counted through the seam (the real calls made all the same).
int syncsMade = 0;

void throughList(benchmark::State& state, Kind kind, Flushes flushes = Flushes::kept) {
    const bench::ScratchDir dir;
    const testing_support::ScopedSystemCalls calls;
    syncsMade = 0;
    calls->syncFile = [](std::FILE* file) {
        return ++syncsMade, platform::realSystemCalls().syncFile(file);
    };
    calls->syncDirectory = [](const char* path) {
        return ++syncsMade, platform::realSystemCalls().syncDirectory(path);
    };
    calls->syncFileSystem = [](const char* path) {
        return ++syncsMade, platform::realSystemCalls().syncFileSystem(path);
    };
    if (flushes == Flushes::leftOut) {
        calls->syncFile = [](std::FILE*) { return true; };
        calls->syncDirectory = [](const char*) { return true; };
    }
    if (flushes != Flushes::kept)
        calls->syncFileSystem = [](const char*) { return true; };
    // As at start-up: exeDir set and made the current directory, which the existence test uses.
    const bench::CurrentDirectory inside(dir.path());
    launcher::exeDir = dir.path().string() + "/";
    const std::string list = listText(kind);
    for (auto _ : state) {
        state.PauseTiming();
        layOutFiles(dir.path());
        bench::writeText(dir.path() / "deferred_operations", list);
        launcher::deferredOps.clear();
        state.ResumeTiming();

        if (launcher::runDeferredOperations(launcher::loadDeferredOperations()).failed())
            state.SkipWithError("the list failed");
    }
    state.SetItemsProcessed(state.iterations() * operations);
    if (flushes == Flushes::kept)
        state.counters["syncs per run"] =
            static_cast<double>(syncsMade) / static_cast<double>(state.iterations());
}

// The update of the file's head comment, each pass after a fresh unsynced download.
void afterDownload(benchmark::State& state, Flushes flushes) {
    const bench::ScratchDir dir;
    const testing_support::ScopedSystemCalls calls;
    if (flushes == Flushes::fileSystemLeftOut)
        calls->syncFileSystem = [](const char*) { return true; };
    const bench::CurrentDirectory inside(dir.path());
    launcher::exeDir = dir.path().string() + "/";
    std::filesystem::create_directories(dir.path() / "lib");
    std::filesystem::create_directories(dir.path() / "update");
    const std::string download(4 << 20, 'j');
    for (auto _ : state) {
        state.PauseTiming();
        bench::writeText(dir.path() / "lib/core__V2.1.0.jar", "old");
        bench::writeText(dir.path() / "version", "2.1.0");
        ::sync();  // the installation as it was, on the disk
        bench::writeText(dir.path() / "lib/core__V2.2.0.jar", download);
        bench::writeText(dir.path() / "update/keep", "");
        bench::writeText(dir.path() / "update/version", "2.2.0");
        bench::writeText(dir.path() / "deferred_operations",
                         "size=3\noperation.0=delete\noperation.0.file=lib/core__V2.1.0.jar\n"
                         "operation.1=delete\noperation.1.file=version\n"
                         "operation.2=rename\noperation.2.file=update/version\n"
                         "operation.2.destination=version\n");
        launcher::deferredOps.clear();
        state.ResumeTiming();

        if (launcher::runDeferredOperations(launcher::loadDeferredOperations()).failed())
            state.SkipWithError("the list failed");
    }
}

// syncAtEnd: the same operations made durable by one syncfs, the least a durable update costs.
void directly(benchmark::State& state, Kind kind, bool syncAtEnd = false) {
    const bench::ScratchDir dir;
    const std::string root = dir.path().string() + "/";
    std::vector<std::string> from, to;
    for (int i = 0; i < operations; ++i) {
        from.push_back(root + fileName("old", i));
        to.push_back(root + fileName("new", i));
    }
    const std::string lib = root + "lib";
    for (auto _ : state) {
        state.PauseTiming();
        layOutFiles(dir.path());
        state.ResumeTiming();

        for (int i = 0; i < operations; ++i) {
            struct stat status {};
            if (lstat(from[i].c_str(), &status) != 0)
                continue;
            const int result = kind == Kind::rename ? std::rename(from[i].c_str(), to[i].c_str())
                                                    : std::remove(from[i].c_str());
            if (result == 0)
                rmdir(lib.c_str());
        }
        if (syncAtEnd && !platform::realSystemCalls().syncFileSystem(root.c_str()))
            state.SkipWithError("syncfs failed");
    }
    state.SetItemsProcessed(state.iterations() * operations);
}

void BM_Deferred_List1000Renames(benchmark::State& state) {
    throughList(state, Kind::rename);
}
void BM_Deferred_List1000RenamesUnflushed(benchmark::State& state) {
    throughList(state, Kind::rename, Flushes::leftOut);
}
void BM_Deferred_Direct1000Renames(benchmark::State& state) {
    directly(state, Kind::rename);
}
void BM_Deferred_Direct1000RenamesThenSyncfs(benchmark::State& state) {
    directly(state, Kind::rename, true);
}
void BM_Deferred_List1000Deletes(benchmark::State& state) {
    throughList(state, Kind::remove);
}
void BM_Deferred_List1000DeletesUnflushed(benchmark::State& state) {
    throughList(state, Kind::remove, Flushes::leftOut);
}
void BM_Deferred_Direct1000Deletes(benchmark::State& state) {
    directly(state, Kind::remove);
}
void BM_Deferred_Direct1000DeletesThenSyncfs(benchmark::State& state) {
    directly(state, Kind::remove, true);
}

// The record's own cost per operation: the mark before it and the count after it, each a
// checked write in place, with the sync (the disk's cost, measured above) left out.
void BM_Deferred_Record1000Counts(benchmark::State& state) {
    const bench::ScratchDir dir;
    const testing_support::ScopedSystemCalls calls;
    calls->syncFile = [](std::FILE*) { return true; };
    const launcher::ListIdentity list{100, 1};
    launcher::ProgressRecorder recorder((dir.path() / "deferred_operations.progress").string(),
                                        list, std::nullopt, 0);
    for (auto _ : state) {
        for (int i = 0; i < operations; ++i) {
            recorder.recordBegun();
            benchmark::DoNotOptimize(recorder.recordFinished(i + 1));
        }
    }
    state.SetItemsProcessed(state.iterations() * operations);
}

void BM_Deferred_UpdateAfterUnsyncedDownload(benchmark::State& state) {
    afterDownload(state, Flushes::kept);
}
void BM_Deferred_UpdateAfterUnsyncedDownloadWithoutFileSystemSync(benchmark::State& state) {
    afterDownload(state, Flushes::fileSystemLeftOut);
}

// Each pass needs 1,000 fresh files, so the passes are counted rather than timed out.
BENCHMARK(BM_Deferred_List1000Renames)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_Deferred_List1000RenamesUnflushed)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_Deferred_Direct1000Renames)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_Deferred_Direct1000RenamesThenSyncfs)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_Deferred_List1000Deletes)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_Deferred_List1000DeletesUnflushed)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_Deferred_Direct1000Deletes)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_Deferred_Direct1000DeletesThenSyncfs)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_Deferred_Record1000Counts)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Deferred_UpdateAfterUnsyncedDownload)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_Deferred_UpdateAfterUnsyncedDownloadWithoutFileSystemSync)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10);

}  // namespace
