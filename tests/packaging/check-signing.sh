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

# Configured as a vendor would: the upgrade code as the guide writes it (or uuidgen's lower
# case in braces) is taken, in upper case, and what is not a GUID refused; the packages' names
# (the Linux installation folder) are ASCII whatever the product's.
while IFS='|' read -r option expected; do
    if cmake -S "$root" -B "$work/configure" -G Ninja -DLAUNCHER_BUILD_TESTS=OFF "$option" >/dev/null 2>"$work/err"; then
        grep -qF -- "$expected" "$work/configure/msi-arguments" "$work/configure/CPackConfig.cmake"
    else
        [[ $expected == *"expected a GUID" ]] && tr -s ' \n' ' ' <"$work/err" | grep -qF -- "$expected"
    fi || { echo "FAIL: $option: no '$expected'" >&2; cat "$work/err" >&2; exit 1; }
    rm -rf "$work/configure"
done <<'CASES'
-DLAUNCHER_UPGRADE_CODE=4F2A1C3E-8B7D-4E6F-9A0B-1C2D3E4F5A6B|4F2A1C3E-8B7D-4E6F-9A0B-1C2D3E4F5A6B
-DLAUNCHER_UPGRADE_CODE={4f2a1c3e-8b7d-4e6f-9a0b-1c2d3e4f5a6b}|4F2A1C3E-8B7D-4E6F-9A0B-1C2D3E4F5A6B
-DLAUNCHER_UPGRADE_CODE=4F2A1C3E-8B7D-4E6F-9A0B-1C2D3E4F5A6|"4F2A1C3E-8B7D-4E6F-9A0B-1C2D3E4F5A6": expected a GUID
-DLAUNCHER_UPGRADE_CODE=4F2A1C3E-8B7D-4E6F-9A0B-1C2D3E4F5A6G|"4F2A1C3E-8B7D-4E6F-9A0B-1C2D3E4F5A6G": expected a GUID
-DLAUNCHER_UPGRADE_CODE=4F2A1C3E8B7D4E6F9A0B1C2D3E4F5A6B|"4F2A1C3E8B7D4E6F9A0B1C2D3E4F5A6B": expected a GUID
-DLAUNCHER_PRODUCT_NAME=Zoë Łódź Studio|CPACK_PACKAGE_FILE_NAME "zoe-lodz-studio-1.0.0-
CASES

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
