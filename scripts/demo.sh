#!/usr/bin/env bash
# The main job on one machine: builds Vantrel.exe and the reference receiver, prepares a
# program folder in demo/, and starts Vantrel under Wine the way a comparative rater does,
# with the path of a sample export file. The quote goes to the receiver on 127.0.0.1:80 (in a
# network namespace of its own), the web hand-off to a recorder. Shows what arrived and how
# the receiver decoded it, then ends by itself.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
cd "$ROOT"

ensure_packages
build_preset windows
say "Building the reference receiver and the configuration tool"
cmake --preset native >/dev/null
cmake --build --preset native -j "$(nproc)" --target vantrel_receiver vantrel_config

demo="$ROOT/demo"
rm -rf "$demo"
mkdir -p "$demo"
cp build/windows/Vantrel.exe build/windows/handoff_recorder.exe "$demo/"
cp examples/fsc-auto-quote.txt "$demo/"
# The settings and the product's route, made by the configuration tool as an agency's IT
# makes them: the FSC rater, and the product routed to the local receiver as an extra row of
# the site routing file.
config="$ROOT/build/native/vantrel_config"
"$config" --write-routes "$demo/PRoute.dat" --route "DEMO MUTUAL" FSC IL "DEMO AUTO" http://127.0.0.1 UNDEFINED
"$config" --write-settings "$demo/Vantrel.dat" --rater FSC --product "DEMO AUTO" --post-file krn/import.asp \
    --launch-file krn/start.asp --company "Demo Agency" --qq-path "" --routes "$demo/PRoute.dat"
"$config" --check "$demo/Vantrel.dat" --routes "$demo/PRoute.dat"
# The old route list, shown by the Compatibility window.
route_row "DEMO MUTUAL" "FSC" "IL" "DEMO AUTO" "http://127.0.0.1" "UNDEFINED" >"$demo/Route.dat"

# Wine's drive Z: is the Linux root, so the program folder is the demo folder itself.
windows_demo="Z:${demo//\//\\}"
# Starts Vantrel as a rater would, with the receiver on 127.0.0.1:80 beside it.
import_sample() {
    register_handoff_recorder "$DEMO_WINDOWS_DIR"
    say "Starting: $DEMO_EXE $DEMO_EXPORT"
    "$DEMO_RECEIVER" --db "$DEMO_DIR/receiver.sqlite" >"$DEMO_DIR/receiver.log" 2>&1 &
    local receiver=$!
    for _ in $(seq 50); do grep -q . "$DEMO_DIR/receiver.log" 2>/dev/null && break; sleep 0.1; done
    timeout 120 "$WINE" "$DEMO_EXE" "$DEMO_EXPORT" </dev/null >/dev/null 2>&1 || echo "(Vantrel did not end in time and was stopped)"
    # The shell started the hand-off recorder before Vantrel ended; stopping Wine now would
    # stop it before it wrote its line. Give it up to 30 s.
    for _ in $(seq 300); do pgrep -f "handoff_recorder\.exe" >/dev/null || break; sleep 0.1; done
    kill $receiver || true
    wait $receiver || true
}
export -f import_sample
export DEMO_RECEIVER="$ROOT/build/native/vantrel_receiver" DEMO_DIR="$demo" DEMO_WINDOWS_DIR="$windows_demo" \
    DEMO_EXE="$windows_demo\\Vantrel.exe" DEMO_EXPORT="$windows_demo\\fsc-auto-quote.txt"
# In a network namespace of its own, on the caller's display, or on a private one when there
# is none, with a throwaway prefix (with_wine).
with_wine import_sample

say "Run log: $demo/vantrel.log"
sed 's/\r$//' "$demo/vantrel.log" | grep -v '^$' || true
say "Export log: $demo/export.log"
sed 's/\r$//' "$demo/export.log" | grep -v '^$' | head -12 || true
say "The receiver's log: $demo/receiver.log"
cat "$demo/receiver.log"
say "What the receiver stored ($demo/receiver.sqlite)"
/usr/bin/python3 tools/receiver/show_import.py "$demo/receiver.sqlite" "http://127.0.0.1/krn/start.asp"
say "The web hand-off (working directory, then what the shell was asked to open)"
cat "$demo/handoff.log" 2>/dev/null || echo "(no hand-off)"
