#!/usr/bin/env bash
# Signs the packages with a throwaway code-signing certificate made here (openssl) and checks
# them, signatures included: scripts/package.sh with LAUNCHER_SIGN_PKCS12 and
# LAUNCHER_SIGN_PASSWORD, whose check verifies launcher.exe in the zip and the MSI against
# that certificate.
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

LAUNCHER_SIGN_PKCS12="$work/vendor.p12" LAUNCHER_SIGN_PASSWORD=throwaway "$root/scripts/package.sh"
