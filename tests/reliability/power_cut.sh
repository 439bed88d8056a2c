#!/usr/bin/env bash
# A power cut in the middle of an update, on a real file system: the launcher runs a list on a
# small ext4 image that writes nothing back on its own (commit=600), a copy of the image is
# taken while the launcher is still working (what a disk holds when the power goes), and the
# launcher then starts again on that copy. Nothing of the update may be lost or done twice.
# Each case has an image of its own, since one launcher's syncs would hide another's faults:
#
#   held        a configuration moved aside and replaced, then an operation held for the whole
#               retry budget; the layout is on the disk before the start
#   unsynced    the updater's new files and its list written just before the start and never
#               synced (as most updaters do): the old version is deleted, the new one moved in
#   emptied     a delete that empties its directory (which goes with it) before the held one
#
#   tests/reliability/power_cut.sh path/to/launcher
#
# Needs root, loop devices and mkfs.ext4; where the machine allows none of them it says so and
# ends with status 0. About 15 s per case.
set -euo pipefail

launcher=$(readlink -f "${1:?usage: power_cut.sh path/to/launcher}")
skip() {
    echo "power cut: skipped, $1"
    exit 0
}
[ "$(id -u)" = 0 ] || skip "needs root for loop devices"
for tool in losetup mkfs.ext4 mount umount; do
    command -v "$tool" >/dev/null || skip "no $tool"
done

work=$(mktemp -d "${TMPDIR:-/tmp}/power-cut.XXXXXX")
mounted=()
launcher_pid=
cleanup() {
    [ -n "$launcher_pid" ] && kill -9 "$launcher_pid" 2>/dev/null && wait "$launcher_pid" 2>/dev/null
    for dir in "${mounted[@]}"; do umount "$dir" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT

# mount_image image directory: mounted through a loop device, nothing written back unasked.
mount_image() {
    mkdir -p "$2"
    mount -o loop,commit=600 "$1" "$2" 2>/dev/null || return 1
    mounted+=("$2")
}

# The lay-out of each case in $app; everything before the "updater" line is on the disk
# before the start, the rest only where the launcher writes it back.
lay_out_held() {
    echo OLD >"$app/cfg"
    echo NEW >"$app/cfg.new"
    echo x >"$app/last.new"
    cat >"$app/deferred_operations" <<'LIST'
size=5
operation.0=rename
operation.0.file=cfg
operation.0.destination=cfg.bak
operation.1=rename
operation.1.file=cfg.new
operation.1.destination=cfg
operation.2=delete
operation.2.file=cfg.bak
operation.3=delete
operation.3.file=blocked
operation.4=rename
operation.4.file=last.new
operation.4.destination=last
LIST
    sync
}
check_held() {
    check "cfg holds the new configuration" [ "$(cat "$app/cfg" 2>/dev/null)" = NEW ]
    check "cfg.bak and cfg.new are gone" [ ! -e "$app/cfg.bak" -a ! -e "$app/cfg.new" ]
    check "the operations after the cut were carried out" [ -e "$app/last" -a ! -e "$app/blocked" ]
}

lay_out_unsynced() {
    mkdir -p "$app/lib" "$app/update"
    echo 2.1.0 >"$app/version"
    head -c 65536 /dev/urandom >"$app/lib/core__V2.1.0.jar"
    head -c 65536 /dev/urandom >"$work/core__V2.2.0.jar"
    sync
    # The updater, right before the user starts the client again: nothing synced.
    cp "$work/core__V2.2.0.jar" "$app/lib/core__V2.2.0.jar"
    echo 2.2.0 >"$app/update/version"
    cat >"$app/deferred_operations" <<'LIST'
size=4
operation.0=delete
operation.0.file=lib/core__V2.1.0.jar
operation.1=delete
operation.1.file=version
operation.2=rename
operation.2.file=update/version
operation.2.destination=version
operation.3=delete
operation.3.file=blocked
LIST
}
check_unsynced() {
    check "version says 2.2.0" [ "$(cat "$app/version" 2>/dev/null)" = 2.2.0 ]
    check "the new jar holds what the updater wrote" cmp -s "$app/lib/core__V2.2.0.jar" "$work/core__V2.2.0.jar"
    check "the old jar is gone" [ ! -e "$app/lib/core__V2.1.0.jar" ]
}

lay_out_emptied() {
    mkdir -p "$app/plugins/old"
    echo x >"$app/plugins/old/only.jar"
    echo x >"$app/plugins/kept.jar"
    cat >"$app/deferred_operations" <<'LIST'
size=2
operation.0=delete
operation.0.file=plugins/old/only.jar
operation.1=delete
operation.1.file=blocked
LIST
    sync
}
check_emptied() {
    check "the emptying delete stays done" [ ! -e "$app/plugins/old" ]
    check "its parent stays" [ -e "$app/plugins/kept.jar" ]
}

failures=0
check() { # description condition...
    local description=$1
    shift
    if "$@"; then echo "power cut: ok   $case: $description"; else echo "power cut: FAIL $case: $description"; failures=$((failures + 1)); fi
}

for case in held unsynced emptied; do
    image="$work/$case.img"
    truncate -s 16M "$image"
    mkfs.ext4 -q -F "$image" >/dev/null 2>&1 || skip "mkfs.ext4 failed"
    mount_image "$image" "$work/$case-live" || skip "loop devices are not allowed here"
    app="$work/$case-live/app"
    # Every case ends on an operation held for the whole retry budget (a non-empty directory).
    mkdir -p "$app/blocked"
    echo x >"$app/blocked/held"
    cp "$launcher" "$app/launcher"
    sync
    "lay_out_$case"

    (cd "$app" && exec ./launcher >"$work/$case-first-run.txt" 2>&1) &
    launcher_pid=$!
    # The operations before the held one are done at once; that one then retries for ten seconds.
    sleep 3
    kill -0 "$launcher_pid" 2>/dev/null || { echo "power cut: $case: the first run ended early" >&2; cat "$work/$case-first-run.txt" >&2; exit 1; }

    # The power goes: the disk holds what was written back, and the page cache is lost.
    cp "$image" "$work/$case-after-cut.img"
    kill -9 "$launcher_pid"
    wait "$launcher_pid" 2>/dev/null || true
    launcher_pid=

    mount_image "$work/$case-after-cut.img" "$work/$case-restarted" || { echo "power cut: $case: the copy does not mount" >&2; exit 1; }
    app="$work/$case-restarted/app"
    rm -r "$app/blocked/held"
    (cd "$app" && ./launcher >"$work/$case-second-run.txt" 2>&1) || true

    before=$failures
    "check_$case"
    check "the list is done" [ ! -e "$app/deferred_operations" -a ! -e "$app/blocked" ]
    if [ "$failures" != "$before" ]; then
        echo "--- first run"; cat "$work/$case-first-run.txt"
        echo "--- second run"; cat "$work/$case-second-run.txt"
        ls -laR "$app"
    fi
done
[ "$failures" = 0 ]
