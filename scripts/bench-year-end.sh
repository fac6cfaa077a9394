#!/usr/bin/env bash
# Times full year-end batch runs (return files "S" and listing "R") on a large
# generated office (3,000 owners over nine territories, about a million
# payments) against one scan of the payment file in owner-payee order
# (`recutil unload DADES/VPagos.dat --key 3`), timed in the same loop so that
# both see the same machine load. Every measure is taken several times and
# the medians are reported:
#   - wall time of the run (vela-session, KELD0190 and the print program) and
#     its ratio to the scan's, and the same for the processor time (user and
#     system) of each: a return-file run waits on the disk for every file it
#     syncs, which the processor time leaves out (or run on an office under
#     /dev/shm, where syncs cost nothing);
#   - record reads of the run, in all and per payment of the file;
#   - peak resident memory of KELD0190 (as --figures reports it, or polled
#     from /proc for a build that does not report it);
#   - how many return files check190 checks a second.
# Run by hand; it takes a few minutes.
#
#   scripts/bench-year-end.sh [--root DIR] [--bin DIR] [--runs N]
#     --root DIR  the demo office to run on; generated there (vela-demo
#                 --size large) when DIR has no DADES folder. Default: a
#                 temporary office, removed at the end.
#     --bin DIR   the programs to measure (KELD0190, ROVODOVO, vela-session,
#                 recutil, vela-demo, check190). Default: a Release build in
#                 build-release.
#     --runs N    measures per kind (default 5).
#     --walk-only the print program is replaced by one that does nothing, so
#                 that the times are those of the walk and its outputs.
set -euo pipefail
cd "$(dirname "$0")/.."

root=""
bin=""
runs=5
walkonly=0
while [ $# -gt 0 ]; do
    case "$1" in
        --root) root="$2"; shift 2 ;;
        --bin) bin="$2"; shift 2 ;;
        --runs) runs="$2"; shift 2 ;;
        --walk-only) walkonly=1; shift ;;
        *) echo "usage: $0 [--root DIR] [--bin DIR] [--runs N] [--walk-only]" >&2; exit 2 ;;
    esac
done

if [ -z "$bin" ]; then
    launcher=()
    if command -v ccache >/dev/null; then
        launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
    fi
    cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release -DVELA_TESTS=OFF "${launcher[@]}" >/dev/null
    cmake --build build-release -j "$(nproc)" \
        --target KELD0190 ROVODOVO vela-demo vela-session recutil check190 >/dev/null
    bin="$PWD/build-release/bin"
fi
bin=$(cd "$bin" && pwd)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
if [ "$walkonly" = 1 ]; then
    mkdir "$work/bin"
    # Copies: the session takes the programs' folder from its own file.
    for program in KELD0190 vela-session recutil vela-demo check190; do
        [ -e "$bin/$program" ] && cp "$bin/$program" "$work/bin/"
    done
    rm -f "$work/bin/ROVODOVO"
    printf '#!/bin/sh\nexit 0\n' >"$work/bin/ROVODOVO"
    chmod +x "$work/bin/ROVODOVO"
    bin="$work/bin"
fi
[ -n "$root" ] || root="$work/root"
if [ ! -d "$root/DADES" ]; then
    /usr/bin/time -f "generation: %e s" "$bin/vela-demo" "$root" --size large >/dev/null
fi
root=$(cd "$root" && pwd)
payments=$("$bin/recutil" stat "$root/DADES/VPagos.dat" | awk '$1 == "records" { print $2 }')
echo "office $root: $payments payments; $runs measures of each; binaries $bin"

now() { date +%s.%N; }
elapsed() { awk -v s="$1" -v e="$2" 'BEGIN { printf "%.3f\n", e - s }'; }
median() {
    sort -n | awk '{ v[NR] = $1 } END {
        if (NR % 2) print v[(NR + 1) / 2]; else printf "%.3f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

# Processor seconds (user + system) that /usr/bin/time wrote to $1.
# (The last line: a failing command's exit status comes first.)
cpu() { tail -n 1 "$1" | awk '{ printf "%.3f\n", $1 + $2 }'; }

# One batch run of kind $1: prints "seconds reads peak-KB cpu-seconds".
run_once() {
    local kind=$1 start end launcher pid peak=0 rss reads reported
    start=$(now)
    /usr/bin/time -f "%U %S" -o "$work/cpu.txt" \
        "$bin/vela-session" "$root" --session "$work/session" -- KELD0190 --batch --kind "$kind" \
        --closing 31.12.2025 --first 1 --last 9999 --figures \
        --contact-name "GARCIA LOPEZ ANNA" --contact-phone 933000000 >"$work/out.txt" 2>&1 &
    launcher=$!
    # Peak memory for programs whose --figures do not report it.
    while kill -0 "$launcher" 2>/dev/null; do
        pid=$(pgrep -x KELD0190 -P "$(pgrep -d, -P "$launcher" || echo 0)" || true)
        if [ -n "$pid" ]; then
            rss=$(awk '/^VmHWM/ { print $2 }' "/proc/$pid/status" 2>/dev/null || true)
            [ "${rss:-0}" -gt "$peak" ] && peak=$rss
        fi
        sleep 0.2
    done
    local status=0
    wait "$launcher" || status=$?
    # 5: the return files were written and their check found the demo
    # office's faults.
    if [ "$status" -ne 0 ] && [ "$status" -ne 5 ]; then
        cat "$work/out.txt" >&2
        return 1
    fi
    end=$(now)
    reads=$(sed -n 's/^KELD0190: \([0-9]*\) record reads.*$/\1/p' "$work/out.txt")
    reported=$(sed -n 's/^KELD0190: peak memory \([0-9]*\) KB.*$/\1/p' "$work/out.txt")
    echo "$(elapsed "$start" "$end") ${reads:-0} ${reported:-$peak} $(cpu "$work/cpu.txt")"
}

# One key-3 scan: prints "seconds cpu-seconds".
scan_once() {
    local start end
    start=$(now)
    /usr/bin/time -f "%U %S" -o "$work/cpu.txt" \
        "$bin/recutil" unload "$root/DADES/VPagos.dat" --key 3 >/dev/null
    end=$(now)
    echo "$(elapsed "$start" "$end") $(cpu "$work/cpu.txt")"
}

: >"$work/scan"
: >"$work/S"
: >"$work/R"
for ((i = 1; i <= runs; i++)); do
    scan_once >>"$work/scan"
    run_once S >>"$work/S"
    run_once R >>"$work/R"
done

scan=$(awk '{ print $1 }' "$work/scan" | median)
scancpu=$(awk '{ print $2 }' "$work/scan" | median)
echo "key-3 scan of the payment file: median $scan s, processor $scancpu s" \
    "(runs: $(awk '{ printf "%s ", $1 }' "$work/scan"))"
for kind in S R; do
    t=$(awk '{ print $1 }' "$work/$kind" | median)
    reads=$(awk '{ print $2 }' "$work/$kind" | median)
    peak=$(awk '{ print $3 }' "$work/$kind" | median)
    c=$(awk '{ print $4 }' "$work/$kind" | median)
    awk -v k="$kind" -v t="$t" -v s="$scan" -v c="$c" -v sc="$scancpu" -v r="$reads" \
        -v p="$payments" -v m="$peak" -v all="$(awk '{ printf "%s ", $1 }' "$work/$kind")" 'BEGIN {
        printf "kind %s: median %.2f s (%.1f x the scan; runs: %s), processor %.2f s (%.1f x the scan'"'"'s), %d record reads (%.2f per payment), peak memory %d KB\n",
               k, t, t / s, all, c, c / sc, r, r / p, m }'
done

if [ -x "$bin/check190" ]; then
    files=$(find "$root" -type f -name 'P[0-9]*' | wc -l)
    start=$(now)
    "$bin/check190" "$root" >/dev/null || true
    end=$(now)
    awk -v n="$files" -v s="$start" -v e="$end" 'BEGIN {
        printf "check190: %d return files in %.2f s, %.0f files/s\n", n, e - s, n / (e - s) }'
fi
