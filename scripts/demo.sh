#!/usr/bin/env bash
# Installs what is missing, builds, prepares the demo installation (when it is
# not there yet) in ./demo and starts KELD0190 on it in a fresh session.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)"

root="$PWD/demo/root"
session="$PWD/demo/session"
mkdir -p "$root" "$session"
if [ ! -f "$root/Vela.ini" ]; then
    printf '[Usuari]\r\nIdioma=CAT\r\n\r\n[Presentador]\r\nNom=\r\nTelefon=\r\n' >"$root/Vela.ini"
fi
printf '[Menu]\r\nTitol=Retencions\r\nOperador=DEMO\r\n[Terminal]\r\nDir=%s/\r\n' "$session" \
    >"$session/Sessio.ini"
printf '[Sistema]\r\nData=%s\r\nSortida=PANTALLA\r\nIdioma=CAT\r\n' "$(date +%Y%m%d)" \
    >"$session/VelaTerm.ini"

export RUKROOT="$root/" RUKEXE="$PWD/build/bin/" RUKTMP="$session/"
"$RUKEXE/KELD0190"
echo "KELD0190 ended with exit code $?; installation in $root"
