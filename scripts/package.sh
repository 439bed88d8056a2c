#!/usr/bin/env bash
# Builds the release packages: the Linux launcher as a tar.gz, launcher.exe as a zip and as a
# per-user MSI, each with the sample installation, and leaves them in build/packages/. Then
# checks them (tests/packaging/check-packages.sh): unpacks both archives, starts the Linux
# sample before and after its pending update, checks the zip's contents and launcher.exe's
# signature, and installs, starts, updates and uninstalls the MSI under Wine.
#   scripts/package.sh [--no-check] [--linux-runtime jlink|none|DIR] [--windows-runtime DIR]
#                      [-DOPTION=VALUE ...]
#     --no-check         build and package only
#     --linux-runtime    the Java runtime of the Linux package, as jre/: made with jlink from
#                        the installed JDK (the default), none, or a runtime image folder
#     --windows-runtime  the folder of a Windows Java runtime image, shipped as jre\ in the zip
#                        and the MSI (default: none)
#     -DOPTION=VALUE     the vendor's build options, for both launchers
#                        (docs/vendor-guide.md)
#   Each run configures the builds with exactly the options it is given: nothing is kept from
#   an earlier run.
#
# Signing (Authenticode, osslsigncode): with LAUNCHER_SIGN_PKCS12 (a PKCS#12 file) and
# LAUNCHER_SIGN_PASSWORD in the environment, launcher.exe and the MSI are signed; with
# LAUNCHER_SIGN_TIMESTAMP_URL as well, the signatures are time-stamped by that server.
# Without a certificate the packages are built unsigned, and the script says so.
#
# The packages are built in build/package-linux and build/package-windows, with a built-in
# text 129 that every current JVM accepts; the presets keep the built-in text of the default
# build.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

usage() {
    echo "usage: $0 [--no-check] [--linux-runtime jlink|none|DIR] [--windows-runtime DIR] [-DOPTION=VALUE ...]" >&2
    exit 2
}
check=1
options=()
linux_runtime=jlink
windows_runtime=""
while [ $# -gt 0 ]; do
    case "$1" in
    --no-check) check=0 ;;
    --linux-runtime | --windows-runtime)
        [ $# -ge 2 ] || usage
        if [ "$1" = --linux-runtime ]; then linux_runtime="$2"; else windows_runtime="$2"; fi
        shift
        ;;
    -D*) options+=("$1") ;;
    *) usage ;;
    esac
    shift
done
[ "$linux_runtime" = none ] && linux_runtime=""
# A folder is handed to CMake by its absolute path: the builds run elsewhere.
for runtime in linux_runtime windows_runtime; do
    if [ -n "${!runtime}" ] && [ "${!runtime}" != jlink ]; then
        [ -d "${!runtime}" ] || { echo "package: ${runtime/_/ }: no folder ${!runtime}" >&2; exit 2; }
        printf -v "$runtime" '%s' "$(cd "${!runtime}" && pwd)"
    fi
done

sign=0
if [ -n "${LAUNCHER_SIGN_PKCS12:-}" ]; then
    [ -f "$LAUNCHER_SIGN_PKCS12" ] || { echo "package: LAUNCHER_SIGN_PKCS12: no file $LAUNCHER_SIGN_PKCS12" >&2; exit 2; }
    [ -n "${LAUNCHER_SIGN_PASSWORD+set}" ] || { echo "package: LAUNCHER_SIGN_PKCS12 is set but LAUNCHER_SIGN_PASSWORD is not" >&2; exit 2; }
    sign=1
fi

scripts/install-deps.sh --packages

out="$root/build/packages"
rm -rf "$out"
mkdir -p "$out"

# Java 17 and later refuse -XX:MaxPermSize, which the default built-in text 129 holds.
package_text_129="-Xmx512m -Xms128m"

# Signs file in place with the vendor's certificate. The password goes through a pipe, not
# the command line, which every user of the machine can read.
sign_file() {
    local file="$1" signed="$1.signed" timestamp=()
    [ -n "${LAUNCHER_SIGN_TIMESTAMP_URL:-}" ] && timestamp=(-ts "$LAUNCHER_SIGN_TIMESTAMP_URL")
    rm -f "$signed"
    # The password goes through a file only this user can read, never the command line (which
    # /proc shows to everyone); Debian 12's osslsigncode reads no password from standard input.
    local password_file status=0
    password_file="$(mktemp)"
    printf '%s' "$LAUNCHER_SIGN_PASSWORD" >"$password_file"
    osslsigncode sign -pkcs12 "$LAUNCHER_SIGN_PKCS12" -readpass "$password_file" \
        -h sha256 -n "$product_name" "${timestamp[@]}" -in "$file" -out "$signed" >/dev/null ||
        status=$?
    rm -f "$password_file"
    [ "$status" = 0 ] || { echo "package: signing $(basename "$file") failed" >&2; exit "$status"; }
    mv "$signed" "$file"
    echo "signed: $(basename "$file")"
}

for platform in linux windows; do
    build="build/package-$platform"
    toolchain=()
    runtime="$linux_runtime"
    if [ "$platform" = windows ]; then
        toolchain=(--toolchain "$root/cmake/toolchain-mingw64.cmake")
        runtime="$windows_runtime"
    fi
    printf '\n== %s package (%s)\n' "$platform" "$build"
    # --fresh: a new cache, so that no option of an earlier run (or a failed one) lingers.
    cmake --fresh -S "$root" -B "$build" -G Ninja "${toolchain[@]}" -DCMAKE_BUILD_TYPE=Release \
        -DLAUNCHER_WERROR=ON -DLAUNCHER_BUILD_TESTS=OFF "-DLAUNCHER_TEXT_129=$package_text_129" \
        "-DLAUNCHER_RUNTIME=$runtime" "${options[@]}" >/dev/null
    cmake --build "$build" --target launcher sample_jars runtime_image
    rm -rf "$build/cpack"
    cpack --config "$build/CPackConfig.cmake"
    if [ "$platform" = linux ]; then
        mv "$build/cpack"/*.tar.gz "$out/"
        rm -rf "$build/cpack"
        continue
    fi

    # launcher.exe is signed after CPack has stripped it (stripping would break the
    # signature), so the zip is made again around the signed file; the MSI is made from the
    # same folder.
    zip="$(ls "$root/$build/cpack"/*.zip)"
    staging="$root/$build/cpack/staging"
    mkdir -p "$staging"
    (cd "$staging" && cmake -E tar xf "$zip")
    folder="$(ls -d "$staging"/*/)"
    folder="${folder%/}"
    # The product, its version, the launcher's name and the rest, as this build was configured.
    mapfile -t msi_arguments <"$build/msi-arguments"
    product_name="$(sed -n '/^--product$/{n;p}' "$build/msi-arguments")"
    [ "$sign" = 1 ] && sign_file "$folder/$(sed -n '/^--launcher$/{n;p}' "$build/msi-arguments")"
    rm "$zip"
    (cd "$staging" && cmake -E tar cf "$zip" --format=zip "$(basename "$folder")")
    msi="$out/$(basename "$zip" .zip).msi"
    scripts/build-msi.sh "${msi_arguments[@]}" "$folder" "$msi"
    [ "$sign" = 1 ] && sign_file "$msi"
    mv "$zip" "$out/"
    rm -rf "$build/cpack"
done

printf '\n== Packages in build/packages\n'
ls -l "$out"
if [ "$sign" = 0 ]; then
    echo "package: launcher.exe and the MSI are NOT signed (no LAUNCHER_SIGN_PKCS12 and LAUNCHER_SIGN_PASSWORD)"
fi

if [ "$check" = 1 ]; then
    printf '\n== Checking the packages\n'
    # The stub JVM that launcher.exe starts under Wine, from the windows preset.
    cmake --preset windows >/dev/null
    cmake --build --preset windows --target stub_jvm
    LAUNCHER_STUB_JVM_DLL="$root/build/windows/tests/stub_jvm/libstub_jvm.dll" \
        LAUNCHER_MSI_ARGUMENTS="$root/build/package-windows/msi-arguments" \
        tests/packaging/check-packages.sh "$out"
fi
