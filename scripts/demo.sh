#!/usr/bin/env bash
# Installs what is missing, builds, prepares the demo installation in
# ./demo/root when it is not there yet (vela-demo), and starts KELD0190 on it
# through the session launcher (vela-session), in the session folder
# ./demo/session, which is kept between runs.
#
# To start again from a fresh demo office: rm -rf demo
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)"

root="$PWD/demo/root"
session="$PWD/demo/session"
if [ ! -f "$root/Vela.ini" ] || [ ! -f "$root/DADES/VPagos.dat" ]; then
    echo "Preparing the demo installation in $root"
    build/bin/vela-demo "$root" --replace
fi

status=0
build/bin/vela-session "$root" --session "$session" -- KELD0190 || status=$?
echo "KELD0190 ended with exit code $status; installation in $root"
exit "$status"
