#!/usr/bin/env bash
# Runs the Wine suite: cross-builds launcher.exe and its test helpers (windows preset), builds
# the suite in the native tree, prepares a throw-away Wine prefix that traces the calls the
# tests read, and runs the suite against it. Needs no display.
#
#   scripts/wine-tests.sh [GoogleTest options, e.g. --gtest_filter=...]
#
# Environment: NATIVE_BUILD (default build/native), WINDOWS_BUILD (default build/windows).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
native_build=${NATIVE_BUILD:-$root/build/native}
windows_build=${WINDOWS_BUILD:-$root/build/windows}
# A second Windows build whose caption text (built-in text 114) is empty, for the test of an
# absent text.
no_caption_build=${windows_build}-no-caption

if ! command -v wine >/dev/null || ! command -v wineserver >/dev/null; then
    echo "Installing wine" >&2
    sudo_cmd=()
    [[ $(id -u) -ne 0 ]] && sudo_cmd=(sudo)
    "${sudo_cmd[@]}" apt-get install -y --no-install-recommends wine wine64
fi

cd "$root"
if [[ $windows_build == "$root/build/windows" ]]; then
    cmake --preset windows >/dev/null
else
    cmake -S "$root" -B "$windows_build" -G Ninja --toolchain "$root/cmake/toolchain-mingw64.cmake" \
        -DCMAKE_BUILD_TYPE=Release -DLAUNCHER_WERROR=ON >/dev/null
fi
cmake --build "$windows_build"
cmake -S "$root" -B "$no_caption_build" -G Ninja --toolchain "$root/cmake/toolchain-mingw64.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DLAUNCHER_WERROR=ON -DLAUNCHER_BUILD_TESTS=OFF \
    -DLAUNCHER_TEXT_114= >/dev/null
cmake --build "$no_caption_build" --target launcher
if [[ ! -f $native_build/CMakeCache.txt ]]; then
    cmake -S "$root" -B "$native_build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DLAUNCHER_WERROR=ON >/dev/null
fi
cmake --build "$native_build" --target wine_launcher_tests

work=$(mktemp -d "${TMPDIR:-/tmp}/wine-tests.XXXXXX")
export WINEPREFIX=$work/prefix
# Wine's server directory and the tests' temporary installations go here too, so that the
# cleanup leaves nothing behind.
export TMPDIR=$work/tmp
mkdir -p "$WINEPREFIX" "$TMPDIR"
unset DISPLAY WAYLAND_DISPLAY
# No Mono or Gecko installer prompts while the prefix is made; no debug channels but the
# relay channel that the tests enable per run.
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEDEBUG=-all

cleanup() {
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

started=$(date +%s)
# One server for the whole suite; the prefix's system processes start under it now, so they
# are not children of a test, holding its pipes.
wineserver -p
wineboot -i >/dev/null 2>&1 </dev/null
# The relay trace shows only the calls the tests read: the message boxes, the file deletions
# and the creation of the exclusion's mutex that the file holder follows, the pauses between
# retries, in which a test kills the launcher, and the flushes a durable update makes.
wine reg add 'HKCU\Software\Wine\Debug' /v RelayInclude /t REG_SZ \
    /d 'user32.MessageBoxA;msvcrt._wremove;KERNEL32.CreateMutexW;KERNEL32.Sleep;KERNEL32.FlushFileBuffers' /f >/dev/null 2>&1 </dev/null
echo "Wine prefix ready in $(($(date +%s) - started)) s" >&2

status=0
LAUNCHER_WINE=$(command -v wine) \
LAUNCHER_WINDOWS_BUILD=$windows_build \
LAUNCHER_WINDOWS_NO_CAPTION_BUILD=$no_caption_build \
    "$native_build/tests/win/wine_launcher_tests" "$@" || status=$?
echo "Wine suite finished in $(($(date +%s) - started)) s with status $status" >&2
exit $status
