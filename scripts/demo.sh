#!/usr/bin/env bash
# Installs what is missing, builds the programs the demo runs, prepares the
# demo installation in ./demo/root when it is not there yet (vela-demo), and
# starts KELD0190 on it through the session launcher (vela-session), in the
# session folder ./demo/session, which is kept between runs: the listings and
# certificates stay in ./demo/session/ROVODOVO/.
#
#   bash scripts/demo.sh [CAT|SPA|GLG|OCI]
#
# The language is Catalan unless one is given: SPA Spanish, GLG
# Galician-Portuguese, OCI Aranese. To start again from a fresh demo office:
# rm -rf demo
set -euo pipefail
cd "$(dirname "$0")/.."

language="${1:-}"
language="${language^^}"
case "$language" in
    "" | CAT | SPA | GLG | OCI) ;;
    *)
        echo "demo: the language is CAT, SPA, GLG or OCI, not $1" >&2
        exit 2
        ;;
esac

bash scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
# The programs of a session and the tools the README goes on to use; the
# tests are built by scripts/test.sh.
targets=(KELD0190 ROVODOVO KSTART vela-session vela-demo recutil)
if cmake --build build --target help | grep -q '^\.\.\. check190$'; then targets+=(check190); fi
cmake --build build -j "$(nproc)" --target "${targets[@]}"

root="$PWD/demo/root"
session="$PWD/demo/session"
if [ ! -f "$root/Vela.ini" ] || [ ! -f "$root/DADES/VPagos.dat" ]; then
    echo "Preparing the demo installation in $root"
    build/bin/vela-demo "$root" --replace
fi

lang_option=()
[ -n "$language" ] && lang_option=(--lang "$language")
status=0
build/bin/vela-session "$root" --session "$session" "${lang_option[@]}" -- KELD0190 || status=$?
echo "KELD0190 ended with exit code $status; installation in $root"
folders=$(find "$root" -mindepth 2 -maxdepth 2 -type d -name '190M*.0A' | sort)
if [ -n "$folders" ]; then
    echo "Return files (one per owner; see the README before filing them):"
    echo "$folders" | sed 's/^/    /'
fi
echo "Listings and certificates: $session/ROVODOVO/"
exit "$status"
