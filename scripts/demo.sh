#!/usr/bin/env bash
# Builds the launcher, lays out a demo installation under build/demo from examples/, and
# starts the demo client through the launcher. Arguments are passed on to the client.
#   scripts/demo.sh                   the client gets two sample arguments
#   scripts/demo.sh "any" "words"     the client gets these
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

scripts/install-deps.sh
cmake --preset native
cmake --build --preset native

# The JVM of the demo is the JDK whose javac is on the PATH.
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
work="$root/build/demo-classes"
rm -rf "$demo" "$work"
mkdir -p "$demo" "$work"

# The two jars of the client, compiled with that JDK.
"$jdk_home/bin/javac" -encoding UTF-8 -d "$work/greeting" \
    examples/greeting/src/com/example/greeting/Greeter.java
"$jdk_home/bin/javac" -encoding UTF-8 -cp "$work/greeting" -d "$work/client" \
    examples/client/src/com/example/demo/DemoClient.java
"$jdk_home/bin/jar" cf "$work/greeting.jar" -C "$work/greeting" .
"$jdk_home/bin/jar" cf "$work/client.jar" -C "$work/client" .

# Several versions of each jar side by side, as an update leaves them.
while read -r jar_file; do
    case "$jar_file" in
        */client__V*.jar) source_jar="$work/client.jar" ;;
        */greeting__V*.jar) source_jar="$work/greeting.jar" ;;
        *) continue ;;
    esac
    mkdir -p "$demo/$(dirname "$jar_file")"
    cp "$source_jar" "$demo/$jar_file"
done < examples/installation/layout.txt
rm -rf "$work"

cp build/native/src/launcher/launcher "$demo/launcher"
cp examples/installation/version examples/installation/settings.properties "$demo/"
sed "s|@JDK_HOME@|$jdk_home|g" examples/installation/launch.properties.template \
    > "$demo/launch.properties"

echo
echo "== Demo installation in build/demo =="
(cd "$demo" && find . -type f | sort | sed 's|^\./|  |')
echo
echo "== launch.properties =="
sed 's/^/  /' "$demo/launch.properties"
echo
echo "== Starting the launcher =="
# HotSpot 17 rejects the built-in default option -XX:MaxPermSize=250m; this makes it ignore it.
if [ $# -eq 0 ]; then
    set -- "Newcomer" "a quoted argument with blanks"
fi
status=0
(cd "$demo" && JAVA_TOOL_OPTIONS=-XX:+IgnoreUnrecognizedVMOptions ./launcher "$@") || status=$?
echo
echo "== The launcher exited with code $status =="
exit "$status"
