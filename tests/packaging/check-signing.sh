#!/usr/bin/env bash
# Builds the packages as a vendor would and checks them, signatures included: its own product
# name, company, version and executable name, a throwaway code-signing certificate made here
# (openssl), and a stand-in Windows runtime folder holding the stub JVM as jre\bin\server\jvm.dll:
# scripts/package.sh with LAUNCHER_SIGN_PKCS12 and LAUNCHER_SIGN_PASSWORD, whose check
# verifies the launcher in the zip and the MSI against that certificate and starts the
# installed launcher on the runtime the MSI brought.
#   tests/packaging/check-signing.sh
set -euo pipefail

root="$(cd "$(dirname "$0")/../.." && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# The upgrade code as the guide writes it (upper case, or uuidgen's lower case in braces) is
# taken, in upper case; what is not a GUID stops the configuration.
for case in "4F2A1C3E-8B7D-4E6F-9A0B-1C2D3E4F5A6B:ok" "{4f2a1c3e-8b7d-4e6f-9a0b-1c2d3e4f5a6b}:ok" \
    "4F2A1C3E-8B7D-4E6F-9A0B-1C2D3E4F5A6:refused" "4F2A1C3E-8B7D-4E6F-9A0B-1C2D3E4F5A6G:refused" \
    "4F2A1C3E8B7D4E6F9A0B1C2D3E4F5A6B:refused"; do
    code="${case%:*}"
    if cmake -S "$root" -B "$work/configure" -G Ninja -DLAUNCHER_BUILD_TESTS=OFF \
        "-DLAUNCHER_UPGRADE_CODE=$code" >/dev/null 2>"$work/configure.err"; then
        [ "${case##*:}" = ok ] || { echo "FAIL: upgrade code $code taken" >&2; exit 1; }
        grep -qx 4F2A1C3E-8B7D-4E6F-9A0B-1C2D3E4F5A6B "$work/configure/msi-arguments" ||
            { echo "FAIL: upgrade code $code not handed on in upper case" >&2; exit 1; }
    elif [ "${case##*:}" = ok ] || ! tr -s ' \n' ' ' <"$work/configure.err" |
        grep -qF "LAUNCHER_UPGRADE_CODE=\"$code\": expected a GUID"; then
        echo "FAIL: upgrade code $code:" >&2
        cat "$work/configure.err" >&2
        exit 1
    fi
    rm -rf "$work/configure"
done
# The packages' names, and so the Linux installation folder, are ASCII whatever the product.
cmake -S "$root" -B "$work/configure" -G Ninja -DLAUNCHER_BUILD_TESTS=OFF \
    "-DLAUNCHER_PRODUCT_NAME=Zoë Łódź Studio" -DLAUNCHER_PRODUCT_VERSION=4.2.1 >/dev/null
grep -q 'CPACK_PACKAGE_FILE_NAME "zoe-lodz-studio-4.2.1-' "$work/configure/CPackConfig.cmake" ||
    { echo "FAIL: package name $(grep CPACK_PACKAGE_FILE_NAME "$work/configure/CPackConfig.cmake")" >&2; exit 1; }
rm -rf "$work/configure"

openssl req -x509 -newkey rsa:2048 -sha256 -days 2 -nodes -subj "/CN=Throwaway Test Vendor" \
    -addext "extendedKeyUsage=codeSigning" \
    -keyout "$work/key.pem" -out "$work/cert.pem" 2>/dev/null
openssl pkcs12 -export -inkey "$work/key.pem" -in "$work/cert.pem" -passout pass:throwaway \
    -out "$work/vendor.p12"

(cd "$root" && cmake --preset windows >/dev/null && cmake --build --preset windows --target stub_jvm)
mkdir -p "$work/runtime/bin/server"
cp "$root/build/windows/tests/stub_jvm/libstub_jvm.dll" "$work/runtime/bin/server/jvm.dll"

LAUNCHER_SIGN_PKCS12="$work/vendor.p12" LAUNCHER_SIGN_PASSWORD=throwaway \
    "$root/scripts/package.sh" --windows-runtime "$work/runtime" \
    "-DLAUNCHER_PRODUCT_NAME=Acme Studio" "-DLAUNCHER_COMPANY=Acme Ltd" \
    -DLAUNCHER_PRODUCT_VERSION=4.2.1 -DLAUNCHER_ORIGINAL_FILENAME=acme.exe \
    -DLAUNCHER_UPGRADE_CODE=4F2A1C3E-8B7D-4E6F-9A0B-1C2D3E4F5A6B
