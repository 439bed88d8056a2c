#!/usr/bin/env bash
# Measures the Linux release package as a customer meets it: its size, unpacked and packed,
# and the sample's start through the launcher on the package's own runtime (jre/, made with
# jlink), against "java -cp" with the same runtime, jars and main class. Each run is a whole
# start: the JVM is created, the demo client prints its lines, the JVM ends.
#   bench/package-start.sh [PACKAGE.tar.gz]     default: the one in build/packages
# Run scripts/package.sh first. Needs hyperfine (scripts/install-deps.sh --all).
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
archive="${1:-$(ls "$root"/build/packages/*-linux-*.tar.gz)}"
command -v hyperfine >/dev/null || { echo "bench: hyperfine not found (scripts/install-deps.sh --all)" >&2; exit 1; }
work="$(mktemp -d "${TMPDIR:-/tmp}/package-start.XXXXXX")"
trap 'rm -rf "$work"' EXIT

tar -xzf "$archive" -C "$work"
install="$(echo "$work"/*/)"
install="${install%/}"
launcher="$(find "$install" -maxdepth 1 -type f -perm -u+x | head -n 1)"
[ -x "$install/jre/bin/java" ] || { echo "bench: $archive brings no runtime (jre/bin/java)" >&2; exit 1; }

echo "package:  $(basename "$archive"), $(du -h "$archive" | cut -f1) packed"
echo "unpacked: $(du -sh "$install" | cut -f1), of which the runtime $(du -sh "$install/jre" | cut -f1)"
echo "runtime:  $(grep -h MODULES "$install/jre/release"), class-data sharing archive:" \
    "$([ -f "$install/jre/lib/server/classes.jsa" ] && echo yes || echo no)"

# The same JVM options the launcher's built-in text and settings.properties give, so that
# the two differ only in who starts the JVM.
memory="$(sed -n 's/^memory.max=//p' "$install/settings.properties" | tr -d '\r')"
classpath="lib/client__V2.1.0.jar:ext/greeting__V2.1.4.jar"
cd "$install"
env -i PATH=/nonexistent "$launcher" >/dev/null 2>&1 ||
    { echo "bench: the package's launcher does not start" >&2; exit 1; }
hyperfine --warmup 3 --runs "${BENCH_RUNS:-20}" --export-json "$work/start.json" \
    -n launcher "env -i PATH=/nonexistent $launcher" \
    -n "java -cp" "env -i PATH=/nonexistent jre/bin/java -Xmx${memory}m -Xms128m -Djava.class.path=$classpath -DkeystoreLocation=conf/demo.keystore -Djvm.bin.path= com.example.demo.DemoClient"
