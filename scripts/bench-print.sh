#!/usr/bin/env bash
# Times the print program on the certificates of a large generated office
# (3,000 owners, about 30,000 certificates) and of the small demo office:
# PDF pages rendered a second and peak memory (maximum resident set), which
# stays flat whatever the size of the spool file. E-mail is off for the
# measurement. Run by hand; it takes several minutes.
#   BUILD=build bash scripts/bench-print.sh    # use an existing build
set -euo pipefail
cd "$(dirname "$0")/.."

build=${BUILD:-build-release}
if [ -z "${BUILD:-}" ]; then
    cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DVELA_TESTS=OFF >/dev/null
    cmake --build "$build" -j "$(nproc)" --target KELD0190 ROVODOVO vela-demo vela-session >/dev/null
fi
bin="$PWD/$build/bin"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for size in small large; do
    "$bin/vela-demo" "$work/$size" --size "$size" >/dev/null
    "$bin/vela-session" "$work/$size" --session "$work/$size-session" --device PDF -- \
        KELD0190 --batch --kind C --closing 31.12.2025 --first 1 --last 9999 >/dev/null
    printf '[Opcions]\r\nCorreu=N\r\n' >"$work/$size-session/ROVODOVO.INI"
    spool=$(stat -c %s "$work/$size-session/rovodovo.tmp")
    RUKROOT="$work/$size/" RUKTMP="$work/$size-session/" RUKEXE="$bin/" \
        /usr/bin/time -f "%e %M" -o "$work/time.txt" "$bin/ROVODOVO" </dev/null >"$work/line.txt"
    read -r seconds peak <"$work/time.txt"
    pages=$(sed -n 's/.*: [0-9]* DOCUMENTS, \([0-9]*\) .*/\1/p' "$work/line.txt")
    awk -v z="$size" -v p="$pages" -v s="$seconds" -v m="$peak" -v b="$spool" 'BEGIN {
        printf "%s office: spool %.1f MB, %d PDF pages in %.1f s = %.0f pages/s, peak memory %.1f MB\n",
               z, b / 1048576, p, s, p / s, m / 1024 }'
    rm -rf "$work/$size-session/ROVODOVO"
done
