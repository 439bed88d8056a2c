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
    -DLAUNCHER_PRODUCT_VERSION=4.2.1 -DLAUNCHER_ORIGINAL_FILENAME=acme.exe
