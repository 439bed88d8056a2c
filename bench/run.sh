#!/usr/bin/env bash
# Builds the release configuration with the benchmarks, measures the launcher on this machine and
# prints one table of results with targets and verdicts. Takes a few minutes on two cores.
#
#   bench/run.sh                 everything
#   BENCH_QUICK=1 bench/run.sh   fewer runs and repetitions (a smoke check, not for figures)
#
# Results stay in build/bench/results: results.json (every figure), startup.json (hyperfine),
# micro.json (Google Benchmark), phases-*.json, peak-*.jsonl, callgrind.out and
# callgrind-empty.out (the launcher's count and a process's that only starts), and startup.svg
# (the start-up plot).
# Needs: cmake, ninja, g++, libbenchmark-dev, hyperfine, valgrind, python3 and a JDK 17 whose
# javac is on the PATH (scripts/install-deps.sh --all installs them).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/bench"
results="$build/results"
quick=${BENCH_QUICK:-}

for tool in cmake hyperfine valgrind python3 javac; do
    command -v "$tool" >/dev/null || { echo "bench: $tool not found (scripts/install-deps.sh --all)" >&2; exit 1; }
done
jdk_home=$(dirname "$(dirname "$(readlink -f "$(command -v javac)")")")
libjvm="$jdk_home/lib/server/libjvm.so"
[ -f "$libjvm" ] || { echo "bench: no $libjvm" >&2; exit 1; }

# The release preset in a binary directory of its own, so that the release tree of tests and
# packages keeps its cache; the test suites are not needed here.
echo "bench: building (release preset, $build)" >&2
cmake --preset release -B "$build" -DLAUNCHER_BENCH=ON -DLAUNCHER_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" >/dev/null

rm -rf "$results"
mkdir -p "$results"
scratch=$(mktemp -d "${TMPDIR:-/tmp}/launcher-bench.XXXXXX")
trap 'rm -rf "$scratch"' EXIT

javac -d "$scratch/classes" "$root/bench/java/Main.java"
install() {  # kind destination jvm-library
    python3 "$root/bench/tools/make_installation.py" "$1" "$2" \
        --launcher "$build/src/launcher/launcher" --jvm-library "$3" \
        --jdk-home "$jdk_home" --main-class "$scratch/classes/Main.class"
}
echo "bench: laying out the installations" >&2
install jars200 "$scratch/real200" "$libjvm"
install jars200 "$scratch/probe200" "$build/bench/libprobe_jvm.so"
install dir10000 "$scratch/probe10000" "$build/bench/libprobe_jvm.so"
# jvm.dll.path names a library that is not there: the run ends where the JVM would be loaded.
install jars200 "$scratch/count200" "$scratch/no-jvm/libjvm.so"

# 1. Whole-process start-up: the launcher and the JDK's own launcher on the same libjvm.so, with
# the same options, class path and main class, in one hyperfine run.
export JAVA_TOOL_OPTIONS=-XX:+IgnoreUnrecognizedVMOptions
cd "$scratch/real200"
class_path=$(./launcher 2>/dev/null | sed -n 's/^classpath: //p')
[ -n "$class_path" ] || { echo "bench: the launcher built no class path" >&2; exit 1; }
java_command="$jdk_home/bin/java -XX:MaxPermSize=250m -Xmx512m -Xms128m"
java_command+=" -DkeystoreLocation=keystore.jks -Djvm.bin.path=$jdk_home/bin -Xmx1024m"
java_command+=" -cp $class_path Main"
# The two alternate in rounds within the one run, so that a change in the machine's load
# meets both alike; the report pools each contender's runs.
rounds=4; runs=20; warmup=5
[ -n "$quick" ] && rounds=1 && runs=10 && warmup=2
commands=()
for _ in $(seq "$rounds"); do
    commands+=(--command-name launcher ./launcher --command-name "java -cp" "$java_command")
done
echo "bench: start-up, $rounds rounds of $runs runs each (hyperfine)" >&2
hyperfine -N --style none --warmup "$warmup" --runs "$runs" \
    --export-json "$results/startup.json" "${commands[@]}" >/dev/null

# 6. Peak memory of the whole process with the real JVM: the launcher against the JNI floor, a C
# program that only loads the library, creates the JVM with the same seven options and calls
# main (bench/probe/jni_floor.c). Alternating, so that both meet the same load.
floor_options=(-Djava.class.path="$class_path" -XX:MaxPermSize=250m -Xmx512m -Xms128m
    -DkeystoreLocation=keystore.jks -Djvm.bin.path="$jdk_home/bin" -Xmx1024m)
# Single runs scatter by 0.15 MiB and medians of 20 by 0.05 MiB, as much as the target leaves.
peak_runs=100
[ -n "$quick" ] && peak_runs=5
echo "bench: peak memory with the real JVM, $peak_runs runs each" >&2
for round in $(seq "$peak_runs"); do
    python3 "$root/bench/tools/peak_memory.py" --runs 1 --cwd "$scratch/real200" -- ./launcher
    python3 "$root/bench/tools/peak_memory.py" --runs 1 --cwd "$scratch/real200" -- \
        "$build/bench/jni_floor" "$libjvm" "$jdk_home/bin" Main "${floor_options[@]}" >&3
done >"$results/peak-launcher.jsonl" 3>"$results/peak-floor.jsonl"
unset JAVA_TOOL_OPTIONS
cd "$root"

# 7. The launcher's own work as a count of instructions (callgrind), up to loading the JVM
# library: a figure that does not depend on the machine's speed or load.
echo "bench: instructions up to loading the JVM library (callgrind)" >&2
(cd "$scratch/count200" && valgrind --tool=callgrind --callgrind-out-file="$results/callgrind.out" \
    ./launcher >/dev/null 2>&1) || true
# Beside it, in the same environment, a process that only starts: the dynamic loader reads
# every environment variable (several hundred instructions each, for any program), so both
# figures move with the environment and their difference does not.
valgrind --tool=callgrind --callgrind-out-file="$results/callgrind-empty.out" \
    "$build/bench/empty_process" >/dev/null 2>&1 || true
{
    sed -n 's/^summary: //p' "$results/callgrind.out"
    sed -n 's/^summary: //p' "$results/callgrind-empty.out"
    env -0 | tr -cd '\0' | wc -c
} >"$results/instructions.txt"
[ "$(wc -l <"$results/instructions.txt")" -eq 3 ] || { echo "bench: callgrind counted nothing" >&2; exit 1; }

# 2 and 5. The launcher's own work and its peak memory, measured inside the process with the
# probe JVM; the memory runs go without the preloaded entry probe.
phase_runs=200; memory_runs=30
[ -n "$quick" ] && phase_runs=20 && memory_runs=5
echo "bench: phases, $phase_runs runs per installation" >&2
for installation in probe200 probe10000; do
    "$build/bench/phase_timer" --runs "$phase_runs" --record "$scratch/record" \
        --preload "$build/bench/libentry_probe.so" -- "$scratch/$installation/launcher" \
        >"$results/phases-$installation.json"
done
"$build/bench/phase_timer" --runs "$memory_runs" --record "$scratch/record" \
    -- "$scratch/probe200/launcher" >"$results/memory-launcher.json"
for _ in $(seq "$memory_runs"); do "$build/bench/empty_process"; done >"$results/memory-empty.txt"

# 3 and 4. Micro-benchmarks; repetitions interleaved at random, so that each pair of
# contenders meets the same load.
repetitions=10
[ -n "$quick" ] && repetitions=2
echo "bench: micro-benchmarks, $repetitions repetitions" >&2
(cd "$scratch" && "$build/bench/launcher_micro_bench" \
    --benchmark_repetitions="$repetitions" --benchmark_enable_random_interleaving=true \
    --benchmark_out="$results/micro.json" --benchmark_out_format=json >/dev/null)

python3 "$root/bench/tools/plot_startup.py" "$results/startup.json" "$results/startup.svg"
python3 "$root/bench/tools/report.py" "$results"
