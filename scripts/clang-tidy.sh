#!/usr/bin/env bash
# Runs clang-tidy with the checks of .clang-tidy over the product sources and the tests; any
# finding fails. Each preset's compile_commands.json names the files: native (POSIX sources
# and tests), then what only windows (parsed as mingw-w64 code) and fuzz compile.
#   scripts/clang-tidy.sh [REGEX]     only the files whose path matches REGEX
set -euo pipefail
cd "$(dirname "$0")/.."
pattern=${1:-.}
jobs=$(nproc)

if ! command -v clang-tidy >/dev/null; then
    echo "clang-tidy: not installed (scripts/install-deps.sh --all installs it)" >&2
    exit 1
fi

# Source files of a compile database, under src/ or tests/, not yet in the seen list.
files_of() {
    python3 - "$1" "$PWD" "$seen" "$pattern" <<'PY'
import json, re, sys
database, root, seen, pattern = sys.argv[1:]
known = set(open(seen).read().split('\n'))
for name in sorted({entry['file'] for entry in json.load(open(database))}):
    relative = name[len(root) + 1:] if name.startswith(root + '/') else name
    if relative.startswith(('src/', 'tests/')) and relative.endswith('.cpp') \
            and name not in known and re.search(pattern, relative):
        print(name)
PY
}

seen=$(mktemp)
log=$(mktemp)
trap 'rm -f "$seen" "$log"' EXIT
failed=0
checked=0

tidy() {
    local preset=$1
    shift
    local files
    files=$(files_of "build/$preset/compile_commands.json")
    [ -n "$files" ] || return 0
    printf '%s\n' "$files" >>"$seen"
    checked=$((checked + $(printf '%s\n' "$files" | wc -l)))
    echo "clang-tidy: $(printf '%s\n' "$files" | wc -l) files of the $preset preset"
    # Each file apart, so that the jobs share out evenly; the per-file counts of suppressed
    # warnings in system headers say nothing.
    if ! printf '%s\n' "$files" |
        xargs -d '\n' -n 1 -P "$jobs" clang-tidy -p "build/$preset" --quiet "$@" >"$log" 2>&1; then
        failed=1
    fi
    grep -v -e ' warnings\? generated\.$' -e '^Suppressed [0-9]* warnings' \
        -e '^Use -header-filter=' "$log" || true
}

cmake --preset native >/dev/null
tidy native

# The Windows sources, as the cross compiler sees them: its target and its C++ library.
if command -v x86_64-w64-mingw32-g++-posix >/dev/null; then
    cmake --preset windows >/dev/null
    gcc_dir=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-libgcc-file-name)")
    tidy windows --extra-arg=--target=x86_64-w64-mingw32 \
        --extra-arg=-isystem"$gcc_dir/include/c++" \
        --extra-arg=-isystem"$gcc_dir/include/c++/x86_64-w64-mingw32" \
        --extra-arg=-isystem"$gcc_dir/include/c++/backward"
else
    echo "clang-tidy: no mingw-w64 compiler, the Windows sources are left out" >&2
fi

if command -v clang++ >/dev/null; then
    cmake --preset fuzz >/dev/null
    tidy fuzz
fi

if [ "$failed" -ne 0 ]; then
    echo "clang-tidy: findings above" >&2
    exit 1
fi
echo "clang-tidy: $checked files clean"
