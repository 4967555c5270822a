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

# Runs the tests of one ctest preset (its output also kept in build/<preset>/ctest.log), with
# ctest's further options. A test that outlives its time limit is stopped by ctest and listed
# among the failures; it is named here as well, on a line of its own, so that a hang is not
# read as a failed check. A test that failed and then passed on a second try is named too.
run_ctest() {
    local preset=$1 log="$ROOT/build/$1/ctest.log" status=0
    shift
    ctest --preset "$preset" "$@" 2>&1 | tee "$log" || status=$?
    sed -nE 's/^ *[0-9]+\/[0-9]+ +Test +#[0-9]+: ([^ ]+) [. ]*\*\*\*Timeout +([0-9.]+) sec.*/HUNG: \1 (ctest preset '"$preset"') outlived its time limit and was stopped after \2 s/p' "$log" >&2
    local test
    for test in $(sed -nE 's/^.*Test +#[0-9]+: ([^ ]+) [. ]*\*\*\*Failed.*/\1/p' "$log" | sort -u); do
        grep -qE "Test +#[0-9]+: $test [. ]*Passed" "$log" &&
            echo "RETRIED: $test (ctest preset $preset) failed once and passed on its second try" >&2
    done
    return "$status"
}

ensure_packages
check_format
build_preset native
build_preset windows
bash "$ROOT/scripts/installer.sh"   # VantrelSetup.exe and Vantrel.msi, for test_installer.py and test_msi.py

say "Unit tests, native"
run_ctest native
build_preset asan; say "Unit tests, native, under AddressSanitizer and UndefinedBehaviorSanitizer"; run_ctest asan
bash "$ROOT/scripts/fuzz.sh" 30   # each libFuzzer target for 30 s

# The Wine unit tests and the end-to-end tests run in a network namespace of their own, on a
# private display that no other program's X server can take, with a throwaway prefix whose
# server runs in there too (with_wine in lib.sh). They never use the caller's display.
wine_tests() {
    say "Unit tests, under Wine"
    # Now and then a Wine program ends at once, before a line of its own has run (seen once in
    # each of two whole runs of some 350 Wine starts, and not in some 700 starts tried since);
    # such a test gets a second try, and is named. A check that fails fails on both tries.
    run_ctest windows --repeat until-pass:2
    say "End-to-end tests, Vantrel.exe under Wine"
    VANTREL_BUILD="$ROOT/build/windows" /usr/bin/python3 -m pytest -q -p no:cacheprovider tests/e2e
}
export -f wine_tests run_ctest
unset DISPLAY
with_wine wine_tests

say "All tests passed in $(( $(date +%s) - started )) s"
