#!/usr/bin/env bash
# Installs what is missing, builds every preset and runs every test suite.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh --all
jobs=$(nproc)

step() { printf '\n== %s\n' "$*"; }

step "native build and tests"
cmake --preset native >/dev/null
cmake --build --preset native -j "$jobs"
ctest --preset native -j "$jobs"

step "sanitizer build and tests (unit and stub JVM)"
cmake --preset sanitize >/dev/null
cmake --build --preset sanitize -j "$jobs"
ctest --preset sanitize -j "$jobs" -E '^RealJvm\.'

step "Windows cross build"
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$jobs"

if [ -x scripts/wine-tests.sh ]; then
    step "Windows executable under Wine"
    scripts/wine-tests.sh
fi

step "release packages: built, unpacked, started and updated"
scripts/package.sh

step "fuzz targets, each for a bounded time"
scripts/fuzz.sh "${FUZZ_SECONDS:-20}"
