#!/usr/bin/env bash
# Installs the Debian packages the project builds and tests with, when any is
# missing (Debian 12). Runs apt-get as root, through sudo when not root.
#
#   bash scripts/install-deps.sh              what the build, the demo and the tests need
#   bash scripts/install-deps.sh --fuzz-bench also clang and Google Benchmark, for the
#                                             libFuzzer targets and the benchmarks
set -euo pipefail

packages=(
    build-essential cmake pkg-config
    googletest libgtest-dev libgmock-dev
    liblmdb-dev libncurses-dev
    libcairo2-dev libfreetype-dev fonts-dejavu-core libcurl4-openssl-dev
    poppler-utils python3-aiosmtpd openssl
    tmux clang-format
)
# Only the fuzzers (-DVELA_FUZZERS=ON, built with clang) and the benchmarks
# (-DVELA_BENCHMARKS=ON) need these.
fuzz_bench_packages=(
    clang libclang-rt-14-dev libbenchmark-dev
)

case "${1:-}" in
    "") ;;
    --fuzz-bench) packages+=("${fuzz_bench_packages[@]}") ;;
    --help)
        sed -n '2,7s/^# \{0,1\}//p' "$0"
        exit 0
        ;;
    *)
        echo "install-deps: unknown option $1 (--fuzz-bench or nothing)" >&2
        exit 2
        ;;
esac

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then
    if ! command -v sudo >/dev/null 2>&1; then
        echo "install-deps: these packages are missing: ${missing[*]}" >&2
        echo "install-deps: installing them needs root: run as root or install sudo" >&2
        exit 1
    fi
    sudo="sudo"
fi
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
