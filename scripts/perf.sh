#!/usr/bin/env bash
# Reruns every benchmark and prints its figures: the native Google Benchmark suites, then
# the real Vantrel.exe under Wine posting to the local receiver (time to the request and to
# the hand-off, the prescribed waits, Wine's own process start, curl as the network floor,
# peak memory). PERF_RUNS sets the runs per figure (default 5).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
cd "$ROOT"
ensure_packages curl

bash scripts/bench.sh
build_preset windows

# The imports run in a network namespace of their own, on a private display (with_wine).
measure_imports() {
    mkdir -p "$WINEPREFIX/drive_c/tools"
    cp build/windows/handoff_recorder.exe "$WINEPREFIX/drive_c/tools/"
    register_handoff_recorder 'C:\tools'
    say "Imports under Wine"
    /usr/bin/python3 tools/perf/measure_import.py
}
export -f measure_imports
unset DISPLAY
with_wine measure_imports
