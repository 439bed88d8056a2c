#!/usr/bin/env bash
# Makes a Java runtime image for the package with the JDK's jlink: the modules the given jars
# need (found by jdeps), the service modules a desktop client reaches without naming them, and
# the modules the vendor names; without debug information, header files and manual pages, and
# with the default class-data-sharing archive where this jlink can make it (a faster JVM start).
#   scripts/make-runtime.sh [--add-modules MODULE,...] JDK_HOME OUTPUT_DIR JAR...
set -euo pipefail

usage() {
    echo "usage: $0 [--add-modules MODULE,...] JDK_HOME OUTPUT_DIR JAR..." >&2
    exit 2
}
extra=""
if [ "${1:-}" = --add-modules ]; then
    [ $# -ge 2 ] || usage
    extra="$2"
    shift 2
fi
[ $# -ge 3 ] || usage
jdk="$1"
output="$2"
shift 2
for tool in jlink jdeps; do
    [ -x "$jdk/bin/$tool" ] || { echo "make-runtime: no $tool in $jdk/bin: a full JDK is needed" >&2; exit 2; }
done

# jdeps sees only what the classes name. These are reached through a service lookup instead,
# and without them a client fails quietly: jdk.charsets, the charsets java.base lacks
# (windows-1255, windows-1256, ISO-2022-JP...: refused, or read as UTF-8); jdk.localedata,
# the dates, numbers and names of every locale but English; jdk.crypto.ec and
# jdk.crypto.cryptoki, the providers java.security lists (TLS with EC keys and X25519,
# PKCS#11 tokens); jdk.zipfs, the zip file system (FileSystems.newFileSystem of a zip or jar).
# Each is taken where this JDK has it (the classes of jdk.crypto.ec moved into java.base in 22).
services=""
available="$("$jdk/bin/java" --list-modules | sed 's/@.*//')"
for module in jdk.charsets jdk.localedata jdk.crypto.ec jdk.crypto.cryptoki jdk.zipfs; do
    grep -qx "$module" <<<"$available" && services+=",$module"
done
modules="$("$jdk/bin/jdeps" --multi-release base --ignore-missing-deps --print-module-deps "$@")"
modules+="$services${extra:+,$extra}"
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
