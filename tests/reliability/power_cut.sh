#!/usr/bin/env bash
# Power cuts in the middle of an update, on real file systems: the launcher runs a list on a
# small loop-mounted image, is held at one of its system calls while the image is copied (what
# the disk holds when the power goes: what was written back, not the page cache), and is then
# killed; the copy is mounted again (after the check a boot would run) and the launcher starts
# on it. Nothing of the update may be lost or done twice. Every run is cut at the entry of each
# fsync, fdatasync, syncfs, msync, rename and unlink it makes, in turn, on every file system the
# machine can make: ext4 (journal, nothing committed unasked: commit=600), ext2 (no journal),
# xfs and btrfs. The cases:
#
#   unsynced  the updater's new jar, version and list written just before the start and never
#             synced (as most updaters do): the old version is deleted, the new one moved in;
#             a cut must leave the whole update or none of it, never an empty list or jar
#   moved     a jar renamed into another directory: it must never be left without a name
#   emptied   a delete that empties its directory (which goes with it)
#   held      a configuration moved aside and replaced, then an operation held by another
#             program and retried (its first retry cut too), then one more rename
#   self      the launcher deleted, the new launcher and version moved out of update/, then
#             update/readme deleted, which empties it: the launcher's path holds one of the two
#             launchers after every cut, and the restart runs it; a cut between the syncs of a
#             move's two directories can leave the file under both names (btrfs, ext2), and the
#             restart must remove the source name
#   full      a record in place, then the disk filled up: the start says so and goes on, never
#             a crash; once there is room again, the list is carried out
#
#   tests/reliability/power_cut.sh path/to/launcher path/to/power_cut_step [path/to/launcher.exe]
#
# Given launcher.exe and Wine, the full disk is also shown to launcher.exe under Wine (on btrfs,
# where the record can't be written again), in a Wine prefix of its own.
#
# Needs root, loop devices and ptrace; where the machine allows none of them it says so and
# ends with status 0. A file system whose tools or kernel support are missing is skipped with
# the reason. About a minute per file system on two cores.
set -euo pipefail

launcher=$(readlink -f "${1:?usage: power_cut.sh path/to/launcher path/to/power_cut_step}")
stepper=$(readlink -f "${2:?usage: power_cut.sh path/to/launcher path/to/power_cut_step}")
windows_launcher=${3:-}
[ -f "$windows_launcher" ] && command -v wine >/dev/null || windows_launcher=
skip() {
    echo "power cut: skipped, $1"
    exit 0
}
[ "$(id -u)" = 0 ] || skip "needs root for loop devices"
for tool in losetup mount umount; do
    command -v "$tool" >/dev/null || skip "no $tool"
done

work=$(mktemp -d "${TMPDIR:-/tmp}/power-cut.XXXXXX")
declare -A device_of=()
cleanup() {
    local dir
    for dir in "${!device_of[@]}"; do
        umount "$dir" 2>/dev/null || true
        losetup -d "${device_of[$dir]}" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT

# attach image directory: the image mounted there through a loop device of its own.
attach() {
    local device
    device=$(losetup -f --show "$1" 2>/dev/null) || return 1
    mkdir -p "$2"
    if ! mount -o "$options" "$device" "$2" 2>/dev/null; then
        losetup -d "$device"
        return 1
    fi
    device_of[$2]=$device
}
detach() {
    umount "$1"
    losetup -d "${device_of[$1]}"
    unset "device_of[$1]"
}

# Per file system: how to make it, its size (room for a sanitizer build of the launcher, or the
# tools' least), how to mount it, and what a boot runs before mounting it after a cut.
configure() {
    fsck=true
    case $1 in
    ext4) make=(mkfs.ext4 -q -F) size=64M options=commit=600 ;;
    ext2) make=(mkfs.ext2 -q -F) size=64M options=defaults fsck="e2fsck -fy" ;;
    xfs) make=(mkfs.xfs -q -f) size=300M options=defaults ;;
    btrfs) make=(mkfs.btrfs -q -f) size=128M options=commit=600 ;;
    esac
}

# The cases: lay_out_* writes what is on the disk before the start, update_* (if any) what the
# updater writes just before it (left unsynced), check_* what must hold after the restart.
lay_out_unsynced() {
    mkdir -p "$app/lib" "$app/update"
    echo 2.1.0 >"$app/version"
    cp "$work/old.jar" "$app/lib/core__V2.1.0.jar"
}
update_unsynced() {
    cp "$work/new.jar" "$app/lib/core__V2.2.0.jar"
    echo 2.2.0 >"$app/update/version"
    printf '%s\n' size=3 operation.0=delete operation.0.file=lib/core__V2.1.0.jar \
        operation.1=delete operation.1.file=version operation.2=rename \
        operation.2.file=update/version operation.2.destination=version >"$app/deferred_operations"
}
check_unsynced() {
    if [ "$(cat "$app/version" 2>/dev/null)" = 2.1.0 ]; then
        check "cut before the update reached the disk: the old jar is whole" cmp -s "$app/lib/core__V2.1.0.jar" "$work/old.jar"
    else
        check "version says 2.2.0" [ "$(cat "$app/version" 2>/dev/null)" = 2.2.0 ]
        check "the new jar holds what the updater wrote" cmp -s "$app/lib/core__V2.2.0.jar" "$work/new.jar"
        check "the old jar is gone" [ ! -e "$app/lib/core__V2.1.0.jar" ]
    fi
}

lay_out_moved() {
    mkdir -p "$app/lib" "$app/update"
    echo 1 >"$app/version"
    echo 2 >"$app/update/version"
    cp "$work/old.jar" "$app/lib/ui.jar"
    cp "$work/new.jar" "$app/update/ui.jar"
    echo x >"$app/update/readme"
    printf '%s\n' size=2 operation.0=rename operation.0.file=update/ui.jar \
        operation.0.destination=lib/ui.jar operation.1=rename operation.1.file=update/version \
        operation.1.destination=version >"$app/deferred_operations"
}
check_moved() {
    check "version says 2" [ "$(cat "$app/version" 2>/dev/null)" = 2 ]
    check "lib/ui.jar is the new jar" cmp -s "$app/lib/ui.jar" "$work/new.jar"
}

lay_out_emptied() {
    mkdir -p "$app/plugins/old"
    echo x >"$app/plugins/old/only.jar"
    echo x >"$app/plugins/kept.jar"
    printf '%s\n' size=1 operation.0=delete operation.0.file=plugins/old/only.jar >"$app/deferred_operations"
}
check_emptied() {
    check "the emptying delete stays done" [ ! -e "$app/plugins/old" ]
    check "its parent stays" [ -e "$app/plugins/kept.jar" ]
}

lay_out_held() {
    echo OLD >"$app/cfg"
    echo NEW >"$app/cfg.new"
    echo x >"$app/last.new"
    mkdir -p "$app/blocked"
    echo x >"$app/blocked/held"
    printf '%s\n' size=5 operation.0=rename operation.0.file=cfg operation.0.destination=cfg.bak \
        operation.1=rename operation.1.file=cfg.new operation.1.destination=cfg \
        operation.2=delete operation.2.file=cfg.bak operation.3=delete operation.3.file=blocked \
        operation.4=rename operation.4.file=last.new operation.4.destination=last >"$app/deferred_operations"
}
check_held() {
    check "cfg holds the new configuration" [ "$(cat "$app/cfg" 2>/dev/null)" = NEW ]
    check "cfg.bak and cfg.new are gone" [ ! -e "$app/cfg.bak" -a ! -e "$app/cfg.new" ]
    check "the operations after the cut were carried out" [ -e "$app/last" -a ! -e "$app/blocked" ]
}

lay_out_self() {
    mkdir -p "$app/update"
    echo 1 >"$app/version"
    echo 2 >"$app/update/version"
    echo x >"$app/update/readme"
    cp "$work/new-launcher" "$app/update/launcher"
    printf '%s\n' size=4 operation.0=delete operation.0.file=launcher operation.1=rename \
        operation.1.file=update/launcher operation.1.destination=launcher operation.2=rename \
        operation.2.file=update/version operation.2.destination=version operation.3=delete \
        operation.3.file=update/readme >"$app/deferred_operations"
}
check_self() {
    check "the new launcher is in place" cmp -s "$app/launcher" "$work/new-launcher"
    check "version says 2" [ "$(cat "$app/version" 2>/dev/null)" = 2 ]
    check "update/version does not remain" [ ! -e "$app/update/version" ]
    check "update/ is gone" [ ! -e "$app/update" ]
}

# Only a regular, executable file with the bytes of one of the two launchers starts again.
runnable_launcher() {
    [ -f "$app/launcher" ] && [ ! -L "$app/launcher" ] && [ -x "$app/launcher" ] &&
        { cmp -s "$app/launcher" "$launcher" || cmp -s "$app/launcher" "$work/new-launcher"; }
}

failures=0
check() { # description condition...
    local description=$1
    shift
    if ! "$@"; then
        echo "power cut: FAIL $fs $case, cut at $point: $description"
        failures=$((failures + 1))
    fi
}

# The base image of a case: the launcher and the lay-out, on the disk.
make_base() {
    truncate -s "$size" "$work/base.img"
    "${make[@]}" "$work/base.img" >/dev/null 2>&1 || return 1
    attach "$work/base.img" "$work/live" || return 1
    app="$work/live/app"
    mkdir -p "$app"
    cp "$launcher" "$app/launcher"
    "lay_out_$case"
    detach "$work/live"
}

# A fresh copy of the base, mounted at live, with the updater's unsynced part written.
start_live() {
    cp --sparse=always "$work/base.img" "$work/live.img"
    attach "$work/live.img" "$work/live"
    app="$work/live/app"
    ! declare -F "update_$case" >/dev/null || "update_$case"
}

# Mounts the copy taken at the cut as a boot would (its check first) and starts again there.
restart_after_cut() {
    detach "$work/live"
    $fsck "$work/cut.img" >/dev/null 2>&1 || [ $? -lt 4 ] || { echo "power cut: $fs: the check of the copy failed" >&2; return 1; }
    attach "$work/cut.img" "$work/restarted" || { echo "power cut: $fs: the copy does not mount" >&2; return 1; }
    app="$work/restarted/app"
    check "a runnable launcher at its path after the cut" runnable_launcher
    rm -rf "$app/blocked/held"
    (cd "$app" && ./launcher >"$work/second-run.txt" 2>&1) || true
}

# Every cut point of a case's run, "number occurrence name" lines, in $work/points. Of a held
# operation's retries only the first: later ones find the disk as it did.
cut_points() {
    start_live
    local status=0
    "$stepper" points "$app" >"$work/points" || status=$?
    [ "$status" != 3 ] || skip "ptrace is not permitted here"
    awk '$3 == "sleep" { slept++; next } slept < 2' "$work/points" >"$work/points.kept"
    mv "$work/points.kept" "$work/points"
    detach "$work/live"
    [ -s "$work/points" ] || { echo "power cut: $fs $case: no cut points" >&2; return 1; }
}

run_case() {
    local number occurrence name before
    cut_points
    while read -r number occurrence name; do
        point="$name #$((occurrence + 1))"
        start_live
        if ! "$stepper" cut "$app" "$number" "$occurrence" cp --sparse=always "$work/live.img" "$work/cut.img"; then
            check "the run reaches the cut point" false
            detach "$work/live"
            continue
        fi
        before=$failures
        restart_after_cut
        "check_$case"
        check "the list is done" [ ! -e "$app/deferred_operations" ]
        check "no temporary record is left" [ ! -e "$app/deferred_operations.progress.tmp" ]
        [ "$failures" = "$before" ] || { cat "$work/second-run.txt"; ls -laR "$app"; }
        detach "$work/restarted"
    done <"$work/points"
    echo "power cut: $fs $case: cut at each of $(wc -l <"$work/points") calls"
}

# A record in place (the run cut at its first operation), then the disk filled up.
lay_out_full() {
    echo x >"$app/a.jar"
    printf '%s\n' size=1 operation.0=delete operation.0.file=a.jar >"$app/deferred_operations"
}
run_full() {
    local status
    point="a full disk"
    cut_points
    start_live
    "$stepper" cut "$app" $(awk '$3 ~ /^rename/ { renamed = 1 } renamed && $3 ~ /^unlink/ { print $1, $2; exit }' "$work/points") true
    [ -e "$app/deferred_operations.progress" ] || { echo "power cut: $fs full: no record in place" >&2; return 1; }
    [ -z "$windows_launcher" ] || cp "$windows_launcher" "$app/launcher.exe"
    dd if=/dev/zero of="$app/fill" bs=64k status=none 2>/dev/null || true
    for i in $(seq 200); do { echo x >"$app/fill$i"; } 2>/dev/null || break; done
    sync
    status=0
    (cd "$app" && ./launcher >"$work/full-run.txt" 2>&1) || status=$?
    check "no crash (exit status $status)" [ "$status" -lt 128 ]
    check "the list is done, or held back with the reason" \
        [ ! -e "$app/deferred_operations" -o -n "$(grep "^Cannot record the progress" "$work/full-run.txt")" ]
    if grep -q "^Cannot record the progress" "$work/full-run.txt"; then
        echo "power cut: $fs full: held back with its message"
        if [ -n "$windows_launcher" ]; then
            point="a full disk, launcher.exe under Wine"
            run_under_wine
            check "the list is held back with the reason" grep -q "^Cannot record the progress" "$work/full-run.txt"
        fi
    fi
    rm -f "$app"/fill*
    (cd "$app" && ./launcher >"$work/full-run.txt" 2>&1) || true
    check "with room again the list is carried out" [ ! -e "$app/a.jar" -a ! -e "$app/deferred_operations" ]
    detach "$work/live"
}

# launcher.exe in $app under Wine, its output in $work/full-run.txt, in a prefix made for it
# (Wine's server directory beside it); the server is stopped after it, so nothing holds the disk.
run_under_wine() {
    (
        export WINEPREFIX=$work/wine TMPDIR=$work/wine-tmp WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
        unset DISPLAY WAYLAND_DISPLAY
        mkdir -p "$WINEPREFIX" "$TMPDIR"
        wineboot -i >/dev/null 2>&1 </dev/null || true
        (cd "$app" && wine launcher.exe >"$work/full-run.txt" 2>&1 </dev/null) || true
        wineserver -k 2>/dev/null
        wineserver -w 2>/dev/null
    ) || true
}

head -c 65536 /dev/urandom >"$work/old.jar"
head -c 65536 /dev/urandom >"$work/new.jar"
# The successor runs as the launcher does: bytes after the end of an executable are never loaded.
cp "$launcher" "$work/new-launcher"
echo successor >>"$work/new-launcher"
tested=()
for fs in ext4 ext2 xfs btrfs; do
    configure "$fs"
    if ! command -v "${make[0]}" >/dev/null || { [ "$fsck" != true ] && ! command -v "${fsck%% *}" >/dev/null; }; then
        echo "power cut: $fs skipped, its tools (${make[0]}, ${fsck%% *}) are not installed"
        continue
    fi
    case=emptied
    if ! make_base; then
        [ ${#device_of[@]} = 0 ] || detach "$work/live"
        losetup -f >/dev/null 2>&1 || skip "loop devices are not allowed here"
        echo "power cut: $fs skipped, the kernel does not mount it here"
        continue
    fi
    for case in unsynced moved emptied held self; do
        make_base
        run_case
    done
    case=full
    make_base
    run_full
    tested+=("$fs")
done
echo "power cut: tested on ${tested[*]:-nothing}"
[ "$failures" = 0 ]
