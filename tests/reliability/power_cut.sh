#!/usr/bin/env bash
# A power cut in the middle of an update, on a real file system: the launcher runs a list on a
# small ext4 image that writes nothing back on its own (commit=600), a copy of the image is
# taken while the launcher is still working (what a disk holds when the power goes), and the
# launcher then starts again on that copy. Nothing of the update may be lost or done twice.
#
#   tests/reliability/power_cut.sh path/to/launcher
#
# Needs root, loop devices and mkfs.ext4; where the machine allows none of them it says so and
# ends with status 0. About 15 s.
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

truncate -s 16M "$work/disk.img"
mkfs.ext4 -q -F "$work/disk.img" >/dev/null 2>&1 || skip "mkfs.ext4 failed"
mount_image "$work/disk.img" "$work/live" || skip "loop devices are not allowed here"
sync

# The installation: a configuration moved aside and replaced, the old one deleted, then an
# operation held for the whole retry budget (a non-empty directory), then one more.
app="$work/live/app"
mkdir -p "$app/blocked"
cp "$launcher" "$app/launcher"
echo OLD >"$app/cfg"
echo NEW >"$app/cfg.new"
echo x >"$app/blocked/held"
echo x >"$app/last.new"
cat >"$app/deferred_operations" <<'EOF'
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
EOF
# The layout is on the disk before the start; what the launcher does is not, unless it says so.
sync

(cd "$app" && exec ./launcher >"$work/first-run.txt" 2>&1) &
launcher_pid=$!
# Operations 0 to 2 are done at once; operation 3 then retries for ten seconds.
sleep 3
kill -0 "$launcher_pid" 2>/dev/null || { echo "power cut: the first run ended early" >&2; cat "$work/first-run.txt" >&2; exit 1; }

# The power goes: the disk holds what was written back, and the file system's page cache is lost.
cp "$work/disk.img" "$work/after-cut.img"
kill -9 "$launcher_pid"
wait "$launcher_pid" 2>/dev/null || true
launcher_pid=

mount_image "$work/after-cut.img" "$work/restarted" || { echo "power cut: the copy does not mount" >&2; exit 1; }
app="$work/restarted/app"
rm -r "$app/blocked/held"
(cd "$app" && ./launcher >"$work/second-run.txt" 2>&1) || true

failures=0
check() {  # description condition...
    local description=$1
    shift
    if "$@"; then echo "power cut: ok   $description"; else echo "power cut: FAIL $description"; failures=1; fi
}
check "cfg holds the new configuration" [ "$(cat "$app/cfg" 2>/dev/null)" = NEW ]
check "cfg.bak and cfg.new are gone" [ ! -e "$app/cfg.bak" -a ! -e "$app/cfg.new" ]
check "the operations after the cut were carried out" [ -e "$app/last" -a ! -e "$app/blocked" ]
check "the list is done" [ ! -e "$app/deferred_operations" ]
if [ "$failures" != 0 ]; then
    echo "--- first run"; cat "$work/first-run.txt"
    echo "--- second run"; cat "$work/second-run.txt"
    ls -la "$app"
fi
exit "$failures"
