#!/usr/bin/env bash
# Installs every Debian package the build, the tests, the fuzzers and the benchmarks need. Safe to run again.
# "setup.sh package" adds what makes the Debian package (file, for its library dependencies) and checks it.
set -euo pipefail
packages=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev qt6-base-dev-tools libgl-dev
    nettle-dev libsodium-dev libzxcvbn-dev
    libbenchmark-dev
    clang libclang-rt-dev
    hyperfine
    xvfb xauth fonts-dejavu-core
    keepassxc
    qt6-qpa-plugins libx11-dev libxss-dev
)
if [ "${1:-}" = package ]; then
    packages+=(file lintian desktop-file-utils appstream)
fi
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    export DEBIAN_FRONTEND=noninteractive
    apt-get update
    apt-get install -y --no-install-recommends "${missing[@]}"
fi
