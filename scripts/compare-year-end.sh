#!/usr/bin/env bash
# Runs the three year-end outputs ("S" return files, "R" listing, "C"
# certificates) on one office with two sets of programs and compares what
# they wrote byte for byte: every return file, and the spool file handed to
# the print program (rovodovo.tmp of the session folder) for "R" and "C".
# For checking that a change to the run leaves its outputs as they were. The
# run's messages are kept beside them (BEFORE|AFTER/KIND.messages.txt) but not
# compared: the print program's name its run folders by the time.
#
#   scripts/compare-year-end.sh BIN_BEFORE BIN_AFTER ROOT [FIRST LAST]
#     BIN_*   folders holding KELD0190, ROVODOVO and vela-session
#     ROOT    the office (for instance one written by vela-demo --size large)
#     FIRST LAST  owner range (default 1 9999)
# Exit status 0 when every output is identical.
set -euo pipefail

if [ $# -ne 3 ] && [ $# -ne 5 ]; then
    echo "usage: $0 BIN_BEFORE BIN_AFTER ROOT [FIRST LAST]" >&2
    exit 2
fi
before=$(cd "$1" && pwd)
after=$(cd "$2" && pwd)
root=$(cd "$3" && pwd)
first=${4:-1}
last=${5:-9999}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

remove_returns() {
    find "$root" -mindepth 2 -maxdepth 2 -type d -name '190M*' -exec rm -rf {} +
}

# Runs kind $2 with the programs of $1 and keeps its outputs under $3.
run() {
    local bin=$1 kind=$2 out=$3
    mkdir -p "$out"
    remove_returns
    local status=0
    "$bin/vela-session" "$root" --session "$work/session" -- KELD0190 --batch --kind "$kind" \
        --closing 31.12.2025 --first "$first" --last "$last" \
        --contact-name "GARCIA LOPEZ ANNA" --contact-phone 933000000 >"$out.messages.txt" 2>&1 ||
        status=$?
    # 5: return files written, and their check found faults of the office.
    if [ "$status" -ne 0 ] && [ "$status" -ne 5 ]; then
        echo "$kind with $bin: exit $status" >&2
        cat "$out.messages.txt" >&2
        exit 1
    fi
    if [ "$kind" = S ]; then
        mkdir -p "$out/returns"
        (cd "$root" && find . -mindepth 3 -maxdepth 3 -path './*/190M*/P*' -type f \
            -exec cp --parents {} "$out/returns" \;)
    else
        cp "$work/session/rovodovo.tmp" "$out/rovodovo.tmp"
    fi
}

status=0
for kind in S R C; do
    run "$before" "$kind" "$work/before/$kind"
    run "$after" "$kind" "$work/after/$kind"
    if diff -r -q "$work/before/$kind" "$work/after/$kind" >"$work/diff.txt"; then
        if [ "$kind" = S ]; then
            what="$(find "$work/after/S/returns" -type f | wc -l) return files"
        else
            what="spool $(wc -c <"$work/after/$kind/rovodovo.tmp") bytes"
        fi
        echo "$kind: identical ($what)"
    else
        echo "$kind: DIFFERENT"
        head -20 "$work/diff.txt"
        status=1
    fi
done
remove_returns
exit $status
