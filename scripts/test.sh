#!/usr/bin/env bash
# Runs every test of Vantrel on Debian 12, installing what is missing first and checking the
# C++ files against the house style (.clang-format):
#   1. native unit tests (core against the fake platform),
#   2. the same unit tests built for Windows and run under Wine,
#   3. end-to-end runs of the real Vantrel.exe under Wine on a private X display.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
cd "$ROOT"
started=$(date +%s)

ensure_packages
check_format
build_preset native
build_preset windows
bash "$ROOT/scripts/installer.sh"   # VantrelSetup.exe and Vantrel.msi, for test_installer.py and test_msi.py

say "Unit tests, native"
ctest --preset native
build_preset asan; say "Unit tests, native, under AddressSanitizer and UndefinedBehaviorSanitizer"; ctest --preset asan
bash "$ROOT/scripts/fuzz.sh" 30   # each libFuzzer target for 30 s

# Tests never use the caller's display: they get a private one.
unset DISPLAY
start_wine
trap stop_wine EXIT

say "Unit tests, under Wine"
ctest --preset windows

say "End-to-end tests, Vantrel.exe under Wine"
VANTREL_BUILD="$ROOT/build/windows" in_private_network /usr/bin/python3 -m pytest -q -p no:cacheprovider tests/e2e

say "All tests passed in $(( $(date +%s) - started )) s"
