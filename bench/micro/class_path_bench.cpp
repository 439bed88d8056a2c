// The class path build over one directory of 10,000 entries for 200 configured jar names, next to
// a bare readdir pass over the same directory, and the resolver alone on 10,000 offers.
#include <benchmark/benchmark.h>
#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "classpath/class_path_builder.h"
#include "classpath/jars_version_resolver.h"
#include "config/process_state.h"
#include "scratch_files.h"

namespace {

constexpr int jarNames = 200;
constexpr int directoryEntries = 10000;
const char* const jarVersions[] = {"2.0.9", "2.1.0", "2.1.3"};

std::string jarName(int i) {
    char name[32];
    std::snprintf(name, sizeof name, "module%03d.jar", i);
    return name;
}

std::string versionedFileName(int i, const char* version) {
    char name[48];
    std::snprintf(name, sizeof name, "module%03d__V%s.jar", i, version);
    return name;
}

// big/ holds three versions of each configured jar; the rest of its entries are jars nobody
// configured (half of them versioned, so the index has separators to look at) and resources.
struct ClassPathInstallation {
    bench::ScratchDir dir;
    std::string directive;

    ClassPathInstallation() {
        const auto big = dir.path() / "big";
        std::filesystem::create_directory(big);
        int entries = 0;
        for (int i = 0; i < jarNames; ++i) {
            for (const char* version : jarVersions) {
                bench::touch(big / versionedFileName(i, version));
                ++entries;
            }
            directive += (i == 0 ? "big/" : ";big/") + jarName(i);
        }
        for (int i = 0; entries < directoryEntries; ++i, ++entries) {
            char name[48];
            if (i % 2 == 0)
                std::snprintf(name, sizeof name, "unlisted%04d__V1.0.jar", i);
            else
                std::snprintf(name, sizeof name, "resource%04d.dat", i);
            bench::touch(big / name);
        }
        bench::writeText(dir.path() / "version", "2.1.0\n");
    }
};

// Laid out once per process (10,000 files take seconds to create here) and shared by every
// repetition of both benchmarks, so they read the very same directory.
const ClassPathInstallation& sharedInstallation() {
    static const ClassPathInstallation installation;
    return installation;
}

// The builder reads the directive from launchProps and its files relative to the current
// directory, as in the launcher after its first step.
class InInstallation {
  public:
    explicit InInstallation(const ClassPathInstallation& installation)
        : current_(installation.dir.path()) {
        launcher::launchProps["jvm.classpath"] = installation.directive;
    }
    ~InInstallation() { launcher::launchProps.clear(); }
    InInstallation(const InInstallation&) = delete;
    InInstallation& operator=(const InInstallation&) = delete;

  private:
    bench::CurrentDirectory current_;
};

void BM_ClassPath_Build10000Entries200Jars(benchmark::State& state) {
    const InInstallation inside(sharedInstallation());
    const bench::QuietStandardOutput quiet;
    for (auto _ : state) {
        std::string classPath = launcher::buildClassPath();
        benchmark::DoNotOptimize(classPath);
    }
    const std::string classPath = launcher::buildClassPath();
    state.counters["elements"] =
        static_cast<double>(std::count(classPath.begin(), classPath.end(), ':') + 1);
}
BENCHMARK(BM_ClassPath_Build10000Entries200Jars)->Unit(benchmark::kMicrosecond);

// What any listing of the directory costs: open, read every entry's name and type, close.
void BM_ClassPath_BareReaddir10000Entries(benchmark::State& state) {
    const InInstallation inside(sharedInstallation());
    for (auto _ : state) {
        DIR* stream = opendir("big");
        std::size_t seen = 0;
        while (const dirent* entry = readdir(stream))
            seen += static_cast<std::size_t>(entry->d_type) + entry->d_name[0];
        closedir(stream);
        benchmark::DoNotOptimize(seen);
    }
}
BENCHMARK(BM_ClassPath_BareReaddir10000Entries)->Unit(benchmark::kMicrosecond);

// 10,000 offers to one resolver: 200 jar names, 50 versions each, in an order that makes the
// choice move (scores 0 to 3 against the client version 2.1.0).
void BM_Resolver_10000Offers(benchmark::State& state) {
    std::vector<std::string> names;
    for (int i = 0; i < jarNames; ++i)
        names.push_back(jarName(i));
    std::vector<std::string> files;  // for names[offer % jarNames]
    for (int version = 0; version < 50; ++version) {
        for (int i = 0; i < jarNames; ++i) {
            const std::string text = std::to_string(version % 3 + 1) + "." +
                                     std::to_string(version % 2) + "." +
                                     std::to_string(version % 5);
            files.push_back(versionedFileName(i, text.c_str()));
        }
    }
    const bench::QuietStandardOutput quiet;
    std::vector<std::size_t> places(names.size());
    for (auto _ : state) {
        launcher::JarsVersionResolver resolver("2.1.0");
        // As the builder does: each name's place looked up once, then the files offered to it.
        for (std::size_t i = 0; i < names.size(); ++i)
            places[i] = resolver.placeFor(names[i]);
        for (std::size_t i = 0; i < files.size(); ++i)
            resolver.offer(places[i % names.size()], launcher::JarFileName(files[i]), "lib/", true);
        std::string classPath = resolver.getClassPath(':');
        benchmark::DoNotOptimize(classPath);
    }
}
BENCHMARK(BM_Resolver_10000Offers)->Unit(benchmark::kMicrosecond);

}  // namespace
