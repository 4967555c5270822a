#!/usr/bin/env bash
# The main job on one machine: builds Vantrel.exe, prepares a program folder in demo/,
# and starts Vantrel under Wine the way a comparative rater does, with the path of a
# sample export file. Shows what the run left behind, then ends by itself.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
cd "$ROOT"

ensure_packages
build_preset windows

demo="$ROOT/demo"
rm -rf "$demo"
mkdir -p "$demo"
cp build/windows/Vantrel.exe "$demo/"
cp examples/fsc-auto-quote.txt "$demo/"
# Settings for the FSC rater: ten values, each followed by ";" and CR LF.
printf '%s;\r\n' "" "" "krn/import.asp" "krn/start.asp" "Demo Agency" "" "" "N" "FSC" "DEMO AUTO" \
    >"$demo/Vantrel.dat"

start_wine
trap stop_wine EXIT

# Wine's drive Z: is the Linux root, so the program folder is the demo folder itself.
exe="Z:${demo//\//\\}\\Vantrel.exe"
export_file="Z:${demo//\//\\}\\fsc-auto-quote.txt"
say "Starting: $exe $export_file"
timeout 120 "$WINE" "$exe" "$export_file" </dev/null >/dev/null 2>&1 || echo "(Vantrel did not end in time and was stopped)"

say "Run log $demo/vantrel.log"
sed 's/\r$//' "$demo/vantrel.log" | grep -v '^$'
