#!/usr/bin/env bash
# Builds the release packages: the Linux launcher (release preset) as a tar.gz and
# launcher.exe (windows preset) as a zip, each with the sample installation, and leaves both
# archives in build/packages/. Then unpacks them and starts the Linux sample, before and after
# its pending update (tests/packaging/check-packages.sh).
#   scripts/package.sh            build, package, check
#   scripts/package.sh --no-check build and package only
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

check=1
[ "${1:-}" = "--no-check" ] && check=0

scripts/install-deps.sh --packages

out="$root/build/packages"
rm -rf "$out"
mkdir -p "$out"

for preset in release windows; do
    archive=tar.gz
    [ "$preset" = windows ] && archive=zip
    printf '\n== %s package\n' "$preset"
    cmake --preset "$preset" >/dev/null
    # Only what the package holds; the test programs are not part of it.
    cmake --build --preset "$preset" --target launcher sample_jars
    rm -rf "build/$preset/cpack"
    cpack --config "build/$preset/CPackConfig.cmake"
    mv "build/$preset/cpack"/*."$archive" "$out/"
    rm -rf "build/$preset/cpack"
done

printf '\n== Packages in build/packages\n'
ls -l "$out"

if [ "$check" = 1 ]; then
    printf '\n== Checking the packages\n'
    tests/packaging/check-packages.sh "$out"
fi
