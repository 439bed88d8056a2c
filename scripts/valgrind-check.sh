#!/usr/bin/env bash
# Runs the POSIX launcher (native preset build) under valgrind in temporary installations with
# the stub JVM: one successful launch and the failure paths of every step. Any invalid access
# or leak of ours fails the check; what is not ours is suppressed in
# tests/reliability/valgrind.supp, each entry explained there.
#   scripts/valgrind-check.sh
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$(pwd)

cmake --preset native >/dev/null
cmake --build --preset native --target launcher stub_jvm >/dev/null
launcher="$repo/build/native/src/launcher/launcher"
stub="$repo/build/native/tests/stub_jvm/libstub_jvm.so"
[ -x "$launcher" ] || launcher=$(find "$repo/build/native" -type f -name launcher -perm -u+x | head -n 1)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
[ -n "${KEEP_VALGRIND_LOGS:-}" ] && trap "echo logs kept in $work" EXIT

# A launchable installation; its argument names the case.
install() {
    local dir="$work/$1"
    mkdir -p "$dir/lib"
    cp "$launcher" "$dir/launcher"
    : >"$dir/lib/app.jar"
    printf '2.1.0\n' >"$dir/version"
    printf 'jvm.classpath=lib/app.jar\njvm.dll.path=%s\njvm.bin.path=.\nmain.class=Main\n' \
        "$stub" >"$dir/launch.properties"
    printf 'memory.max=2048\n' >"$dir/settings.properties"
    echo "$dir"
}

passed=0
failed=0
# check NAME EXPECTED_EXIT_CODE [VAR=VALUE...]: runs the launcher of installation NAME.
check() {
    local name=$1 expected=$2
    shift 2
    local dir="$work/$name" log="$work/$name.valgrind"
    local code=0
    (cd "$dir" && env "$@" valgrind --error-exitcode=1 --leak-check=full \
        --errors-for-leak-kinds=definite,possible --track-fds=no \
        --suppressions="$repo/tests/reliability/valgrind.supp" --log-file="$log" \
        ./launcher first second >"$work/$name.out" 2>&1) || code=$?
    if grep -q 'ERROR SUMMARY: 0 errors' "$log" && [ "$code" -eq "$expected" ]; then
        echo "valgrind: $name clean (exit code $code)"
        passed=$((passed + 1))
    else
        echo "valgrind: $name FAILED (exit code $code, expected $expected)"
        grep -E '^==[0-9]+== ' "$log" | tail -n 40
        failed=$((failed + 1))
    fi
}

install success >/dev/null
check success 0

dir=$(install deferred-list)
printf 'a' >"$dir/a.old"; mkdir -p "$dir/upd"; printf 'b' >"$dir/upd/b.jar"
printf 'size=3\noperation.0=delete\noperation.0.file=a.old\noperation.1=rename\noperation.1.file=upd/b.jar\noperation.1.destination=lib/b.jar\noperation.2=delete\noperation.2.file=gone\n' \
    >"$dir/deferred_operations"
check deferred-list 0

dir=$(install missing-jar)
rm "$dir/lib/app.jar"
check missing-jar 1

dir=$(install missing-directory)
rm -r "$dir/lib"
check missing-directory 1

dir=$(install no-options)
rm "$dir/launch.properties"
check no-options 1

dir=$(install no-library)
printf 'jvm.classpath=lib/app.jar\njvm.dll.path=%s/none.so\nmain.class=Main\n' "$dir" \
    >"$dir/launch.properties"
check no-library 2

install creation-fails >/dev/null
check creation-fails 3 STUB_JVM_PLAY=reject-option

install class-missing >/dev/null
check class-missing 4 STUB_JVM_PLAY=class-missing

install main-throws >/dev/null
check main-throws 5 STUB_JVM_PLAY=main-throws

echo "valgrind: $passed clean, $failed failed"
[ "$failed" -eq 0 ]
