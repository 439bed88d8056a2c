#!/usr/bin/env bash
# Installs the Debian packages the project needs, when missing.
#   scripts/install-deps.sh          what building and running the demo needs
#   scripts/install-deps.sh --packages  what scripts/package.sh needs (adds the cross compiler,
#                                       the MSI tools, the signing tools, and Wine and the
#                                       locale sources, which the check of the MSI runs)
#   scripts/install-deps.sh --all    everything the whole test suite needs as well
set -euo pipefail

core=(cmake ninja-build g++ make libgtest-dev libgmock-dev openjdk-17-jdk-headless)
packages=(g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wixl msitools osslsigncode openssl
          wine wine64 locales)
all=("${core[@]}" "${packages[@]}" clang clang-tidy libclang-rt-14-dev valgrind libbenchmark-dev
     hyperfine python3 e2fsprogs xfsprogs btrfs-progs mount)

wanted=("${core[@]}")
[ "${1:-}" = "--all" ] && wanted=("${all[@]}")
[ "${1:-}" = "--packages" ] && wanted=("${core[@]}" "${packages[@]}")

missing=()
for package in "${wanted[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    [ "$status" = "install ok installed" ] || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "install-deps: installing ${missing[*]}" >&2
sudo=""
[ "$(id -u)" = 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q >/dev/null
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}" >/dev/null
echo "install-deps: done" >&2
