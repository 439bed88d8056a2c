#!/usr/bin/env bash
# Builds the launcher as a vendor would (built-in JVM options that Java 17 and later accept)
# and the sample installation (examples/), installs both under build/demo, starts the demo
# client through the launcher, lets the client update itself with its updater and starts it
# again, when the launcher applies the update. Arguments are passed on to the client.
#   scripts/demo.sh                   the client gets two sample arguments
#   scripts/demo.sh "any" "words"     the client gets these
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

scripts/install-deps.sh
# The build's own output goes to a log, shown only when the build fails.
build_log="$root/build/demo-build.log"
mkdir -p "$root/build"
echo "building the launcher... (output in build/demo-build.log)"
# Its own build, not the presets': the default built-in text 129 holds -XX:MaxPermSize=250m,
# which Java 17 and later refuse, and a JAVA_TOOL_OPTIONS that made the JVM ignore it would
# make it print "Picked up JAVA_TOOL_OPTIONS" at every start.
if ! { cmake --fresh -S "$root" -B "$root/build/demo-build" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DLAUNCHER_BUILD_TESTS=OFF "-DLAUNCHER_TEXT_129=-Xmx512m -Xms128m" &&
    cmake --build "$root/build/demo-build" --target launcher sample_jars; } >"$build_log" 2>&1; then
    cat "$build_log" >&2
    echo "demo: the build failed; its output is above and in $build_log" >&2
    exit 1
fi

# The JVM of the demo is the JDK whose javac is on the PATH, linked as jre/ beside the
# launcher, where the sample's launch.properties expects it.
javac_path="$(command -v javac || true)"
if [ -z "$javac_path" ]; then
    echo "demo: javac is not on the PATH; install a JDK (openjdk-17-jdk-headless)" >&2
    exit 1
fi
jdk_home="$(dirname "$(dirname "$(readlink -f "$javac_path")")")"
if [ ! -f "$jdk_home/lib/server/libjvm.so" ]; then
    echo "demo: no lib/server/libjvm.so under the JDK home $jdk_home" >&2
    exit 1
fi

demo="$root/build/demo"
rm -rf "$demo"
cmake --install build/demo-build --prefix "$demo" >/dev/null
ln -s "$jdk_home" "$demo/jre"

if [ $# -eq 0 ]; then
    set -- "Newcomer" "a quoted argument with blanks"
fi

start() {
    local status=0
    (cd "$demo" && ./launcher "$@") || status=$?
    echo
    echo "== The launcher exited with code $status =="
    return "$status"
}

echo
echo "== Demo installation in build/demo (jre -> $jdk_home) =="
(cd "$demo" && find . -type f | sort | sed 's|^\./|  |')
echo
echo "== launch.properties =="
sed 's/^/  /' "$demo/launch.properties"
echo
echo "== Starting the launcher: client version 2.1.0 =="
start "$@"

echo
echo "== The client updates itself to 2.2.0 (examples/client's Updater): started with --update, it"
echo "== stages the files of updates/2.2.0, flushed, then writes its list and renames it into place =="
start --update
echo
echo "== The list it left =="
sed 's/^/  /' "$demo/deferred_operations"
echo
echo "== Starting the launcher again: it carries out the list and chooses the 2.2.0 jar =="
start "$@"
