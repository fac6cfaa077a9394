#!/usr/bin/env bash
# Installs the Debian packages the project builds and tests with, when any is
# missing. Debian 12; runs apt-get as root (through sudo when not root).
set -euo pipefail

packages=(
    build-essential cmake pkg-config
    googletest libgtest-dev libgmock-dev libbenchmark-dev
    liblmdb-dev libncurses-dev
    libcairo2-dev libfreetype-dev fonts-dejavu-core libcurl4-openssl-dev
    poppler-utils python3-aiosmtpd openssl
    clang libclang-rt-14-dev
    tmux
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
