#!/usr/bin/env bash
# Makes a Java runtime image for the package with the JDK's jlink: the modules the given jars
# need (found by jdeps), without debug information, header files and manual pages, and with
# the default class-data-sharing archive where this jlink can make it (a faster JVM start).
#   scripts/make-runtime.sh JDK_HOME OUTPUT_DIR JAR...
set -euo pipefail

if [ $# -lt 3 ]; then
    echo "usage: $0 JDK_HOME OUTPUT_DIR JAR..." >&2
    exit 2
fi
jdk="$1"
output="$2"
shift 2
for tool in jlink jdeps; do
    [ -x "$jdk/bin/$tool" ] || { echo "make-runtime: no $tool in $jdk/bin: a full JDK is needed" >&2; exit 2; }
done

modules="$("$jdk/bin/jdeps" --multi-release base --ignore-missing-deps --print-module-deps "$@")"
options=(--add-modules "$modules" --strip-debug --no-header-files --no-man-pages)
if "$jdk/bin/jlink" --list-plugins | grep -q -- --generate-cds-archive; then
    options+=(--generate-cds-archive)
fi
rm -rf "$output"
mkdir -p "$(dirname "$output")"
# The archive's dump warns of every class of a module left out; shown only if jlink fails.
if ! "$jdk/bin/jlink" "${options[@]}" --output "$output" >"$output.log" 2>&1; then
    cat "$output.log" >&2
    exit 1
fi
rm "$output.log"
echo "make-runtime: $output with $modules, $(du -sh "$output" | cut -f1)"
