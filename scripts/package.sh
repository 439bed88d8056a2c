#!/usr/bin/env bash
# Builds the release packages: the Linux launcher as a tar.gz, launcher.exe as a zip and as a
# per-user MSI, each with the sample installation, and leaves them in build/packages/. Then
# checks them (tests/packaging/check-packages.sh): unpacks both archives, starts the Linux
# sample before and after its pending update, checks the zip's contents and launcher.exe's
# signature, and installs, starts, updates and uninstalls the MSI under Wine.
#   scripts/package.sh [--no-check] [-DOPTION=VALUE ...]
#     --no-check       build and package only
#     -DOPTION=VALUE   the vendor's build options, for both launchers (docs/packaging.md,
#                      "Making it your client's launcher")
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

check=1
options=()
for argument in "$@"; do
    case "$argument" in
    --no-check) check=0 ;;
    -D*) options+=("$argument") ;;
    *)
        echo "usage: $0 [--no-check] [-DOPTION=VALUE ...]" >&2
        exit 2
        ;;
    esac
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

# Signs file in place with the vendor's certificate.
sign_file() {
    local file="$1" signed="$1.signed" timestamp=()
    [ -n "${LAUNCHER_SIGN_TIMESTAMP_URL:-}" ] && timestamp=(-ts "$LAUNCHER_SIGN_TIMESTAMP_URL")
    rm -f "$signed"
    osslsigncode sign -pkcs12 "$LAUNCHER_SIGN_PKCS12" -pass "$LAUNCHER_SIGN_PASSWORD" \
        -h sha256 -n "$product_name" "${timestamp[@]}" -in "$file" -out "$signed" >/dev/null
    mv "$signed" "$file"
    echo "signed: $(basename "$file")"
}

for platform in linux windows; do
    build="build/package-$platform"
    toolchain=()
    [ "$platform" = windows ] && toolchain=(--toolchain "$root/cmake/toolchain-mingw64.cmake")
    printf '\n== %s package (%s)\n' "$platform" "$build"
    cmake -S "$root" -B "$build" -G Ninja "${toolchain[@]}" -DCMAKE_BUILD_TYPE=Release \
        -DLAUNCHER_WERROR=ON -DLAUNCHER_BUILD_TESTS=OFF "-DLAUNCHER_TEXT_129=$package_text_129" \
        "${options[@]}" >/dev/null
    cmake --build "$build" --target launcher sample_jars
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
    product_name="$(sed -n 's/^LAUNCHER_PRODUCT_NAME:STRING=//p' "$build/CMakeCache.txt")"
    company="$(sed -n 's/^LAUNCHER_COMPANY:STRING=//p' "$build/CMakeCache.txt")"
    product_version="$(sed -n 's/^LAUNCHER_PRODUCT_VERSION:STRING=//p' "$build/CMakeCache.txt")"
    [ "$sign" = 1 ] && sign_file "$folder/launcher.exe"
    rm "$zip"
    (cd "$staging" && cmake -E tar cf "$zip" --format=zip "$(basename "$folder")")
    msi="$out/$(basename "$zip" .zip).msi"
    scripts/build-msi.sh "$folder" "$msi" "$product_name" "$company" "$product_version"
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
        tests/packaging/check-packages.sh "$out"
fi
