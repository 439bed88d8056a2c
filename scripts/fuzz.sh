#!/usr/bin/env bash
# Builds the libFuzzer targets and runs each for a bounded time on its seed corpus.
#   scripts/fuzz.sh [SECONDS_PER_TARGET]     (default 30)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

passed=0
failed=0
for target in build/fuzz/tests/fuzz/fuzz_*; do
    [ -x "$target" ] || continue
    name=$(basename "$target")
    seeds="tests/fuzz/corpus/${name#fuzz_}"
    work=$(mktemp -d)
    [ -d "$seeds" ] && cp -r "$seeds/." "$work/"
    log=$(mktemp)
    if "$target" -max_total_time="$seconds" -rss_limit_mb=2048 -max_len=65536 \
        -artifact_prefix="$work/" "$work" >"$log" 2>&1; then
        execs=$(grep -ao 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' ||
                grep -ao 'Done [0-9]* runs' "$log" | grep -o '[0-9]*' || echo '?')
        echo "fuzz: $name clean after $execs executions in ${seconds}s"
        passed=$((passed + 1))
    else
        echo "fuzz: $name FAILED"; tail -n 40 "$log"
        failed=$((failed + 1))
    fi
    rm -rf "$work" "$log"
done
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
