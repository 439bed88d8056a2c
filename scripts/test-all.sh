#!/usr/bin/env bash
# Installs what is missing, builds every preset and runs every test suite.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh --all
jobs=$(nproc)

step() { printf '\n== %s\n' "$*"; }

# First, so that the native suite can examine launcher.exe (and must find it).
step "Windows cross build"
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$jobs"
export LAUNCHER_REQUIRE_WINDOWS_BUILD=1

step "native build and tests (unit, real JVM, stub JVM, reliability)"
cmake --preset native >/dev/null
cmake --build --preset native -j "$jobs"
ctest --preset native -j "$jobs"

step "release build, every target and the benchmarks (GCC at -O3 warns where the debug build does not)"
cmake --preset release -DLAUNCHER_BENCH=ON >/dev/null
cmake --build --preset release -j "$jobs"

step "clang-tidy over the sources and the tests"
scripts/clang-tidy.sh

step "sanitizer build and tests (unit and stub JVM)"
cmake --preset sanitize >/dev/null
cmake --build --preset sanitize -j "$jobs"
ctest --preset sanitize -j "$jobs" -E '^RealJvm\.'

step "valgrind over the launcher with the stub JVM"
scripts/valgrind-check.sh

step "Windows executable under Wine"
scripts/wine-tests.sh

step "release packages: built, unpacked, started and updated; the MSI installed, upgraded, repaired and removed under Wine"
scripts/package.sh

step "release packages as a vendor builds them: own names, a stand-in Windows runtime, signed with a throwaway certificate"
tests/packaging/check-signing.sh

step "fuzz targets, each for a bounded time"
scripts/fuzz.sh "${FUZZ_SECONDS:-20}"
