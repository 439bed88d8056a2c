// Reading a 1 MB property file into a map, next to reading its bytes alone.
#include <benchmark/benchmark.h>

#include <string>

#include "config/line_reader.h"
#include "config/process_state.h"
#include "config/property_file.h"
#include "scratch_files.h"

namespace {

// About 1 MiB of key=value lines shaped like a real launch.properties grown large: dotted keys,
// paths and option texts as values, CR LF line ends.
std::string megabyteOfProperties() {
    std::string text;
    for (int i = 0; text.size() < (1u << 20); ++i) {
        const std::string number = std::to_string(i);
        text += "client.module." + number + ".path=lib/modules/module-" + number +
                "/classes;lib/modules/module-" + number + "/resources\r\n";
    }
    return text;
}

void BM_PropertyFile_Load1MB(benchmark::State& state) {
    const bench::ScratchDir dir;
    const std::string text = megabyteOfProperties();
    bench::writeText(dir.path() / "big.properties", text);
    launcher::exeDir = dir.path().string() + "/";
    for (auto _ : state) {
        launcher::PropertyMap map;
        launcher::loadPropertyFile(map, "big.properties");
        benchmark::DoNotOptimize(map);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_PropertyFile_Load1MB)->Unit(benchmark::kMicrosecond);

void BM_PropertyFile_ReadBytesOnly1MB(benchmark::State& state) {
    const bench::ScratchDir dir;
    const std::string text = megabyteOfProperties();
    bench::writeText(dir.path() / "big.properties", text);
    const std::string path = (dir.path() / "big.properties").string();
    for (auto _ : state) {
        std::string bytes;
        launcher::readFileBytes(path, bytes);
        benchmark::DoNotOptimize(bytes);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_PropertyFile_ReadBytesOnly1MB)->Unit(benchmark::kMicrosecond);

}  // namespace
