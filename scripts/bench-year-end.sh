#!/usr/bin/env bash
# Times a full year-end batch run (return files "S" and listing "R") on a
# large generated office: 3,000 owners over nine territories and about a
# million payments. Reports wall time, record reads per second and the peak
# memory of KELD0190, split into its own (heap) memory and the record files
# mapped into it, and how many return files check190 checks a second.
# Run by hand; it takes a minute or two.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release -DVELA_TESTS=OFF >/dev/null
cmake --build build-release -j "$(nproc)" --target KELD0190 ROVODOVO vela-demo vela-session check190 >/dev/null
bin="$PWD/build-release/bin"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

/usr/bin/time -f "generation: %e s" "$bin/vela-demo" "$work/root" --size large >/dev/null

for kind in S R; do
    "$bin/vela-session" "$work/root" --session "$work/session" -- KELD0190 --batch --kind "$kind" \
        --closing 31.12.2025 --first 1 --last 9999 --figures >"$work/out.txt" 2>&1 &
    launcher=$!
    start=$(date +%s.%N)
    anon=0
    file=0
    while kill -0 "$launcher" 2>/dev/null; do
        pid=$(pgrep -n -x KELD0190 || true)
        if [ -n "$pid" ] && [ -r "/proc/$pid/status" ]; then
            a=$(awk '/RssAnon/{print $2}' "/proc/$pid/status" 2>/dev/null || echo 0)
            f=$(awk '/RssFile/{print $2}' "/proc/$pid/status" 2>/dev/null || echo 0)
            [ "${a:-0}" -gt "$anon" ] && anon=$a
            [ "${f:-0}" -gt "$file" ] && file=$f
        fi
        sleep 0.05
    done
    status=0
    wait "$launcher" || status=$?
    # 5: the return files were written and their check found the demo
    # office's faults.
    if [ "$status" -ne 0 ] && [ "$status" -ne 5 ]; then
        cat "$work/out.txt"
        exit "$status"
    fi
    end=$(date +%s.%N)
    reads=$(sed -n 's/^KELD0190: \([0-9]*\) record reads$/\1/p' "$work/out.txt")
    awk -v k="$kind" -v s="$start" -v e="$end" -v r="$reads" -v a="$anon" -v f="$file" 'BEGIN {
        t = e - s
        printf "kind %s: %.2f s, %d record reads, %.0f reads/s, peak heap %d KB, mapped record files %d KB\n",
               k, t, r, r / t, a, f }'
done

files=$(find "$work/root" -type f -name 'P[0-9]*' | wc -l)
start=$(date +%s.%N)
"$bin/check190" "$work/root" >/dev/null || true
end=$(date +%s.%N)
awk -v n="$files" -v s="$start" -v e="$end" 'BEGIN {
    printf "check190: %d return files in %.2f s, %.0f files/s\n", n, e - s, n / (e - s) }'
