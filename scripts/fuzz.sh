#!/usr/bin/env bash
# Builds the libFuzzer targets of the core (the fuzz preset: clang, AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs each for a bounded time, from its seeds in
# fuzz/corpus/<target> plus what earlier runs found (build/fuzz/corpus/<target>).
#
#   bash scripts/fuzz.sh [seconds per target]      (default 30)
#
# Fails on any crash, leak, sanitizer report, failed check, time-out or memory blow-up.
# A failing input is kept in build/fuzz/artifacts/<target>/ and the run's output in
# build/fuzz/logs/<target>.log; replay it with build/fuzz/<target> <input>.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
cd "$ROOT"

seconds="${1:-30}"
if ! [[ "$seconds" =~ ^[1-9][0-9]{0,5}$ ]]; then
    echo "usage: $0 [seconds per target]" >&2
    exit 2
fi

ensure_packages
build_preset fuzz

# The targets are whatever fuzz/CMakeLists.txt built: it lists them in the build folder.
mapfile -t TARGETS <"$ROOT/build/fuzz/fuzz_targets.txt"
if [ ${#TARGETS[@]} -eq 0 ]; then
    echo "No fuzz targets listed in build/fuzz/fuzz_targets.txt" >&2
    exit 1
fi

# The targets write their files in folders of their own under this one (in memory when
# /dev/shm is there); it goes at the end, whatever happened.
scratch_parent=/dev/shm
[ -d "$scratch_parent" ] && [ -w "$scratch_parent" ] || scratch_parent="${TMPDIR:-/tmp}"
scratch=$(mktemp -d "$scratch_parent/vantrel-fuzz.XXXXXX")
trap 'rm -rf "$scratch"' EXIT

# A small quarantine keeps memory use down and the many-allocations targets faster; it is
# still far more than one input frees. Each allocation's stack is kept to the one frame that
# called malloc: AddressSanitizer walks it by frame pointers, which Debian's libstdc++ does
# not keep, so a deeper stack of an allocation made inside std::string holds stray addresses
# that differ from one call to the next, each kept for good as a stack of its own (the
# route-table target added 4 a run, 56 MB in 262,144 runs, and once peaked at 1,079 MB). A
# report found this way gets its whole stacks from a replay of its input, as below.
export ASAN_OPTIONS="quarantine_size_mb=64:malloc_context_size=1:detect_leaks=1:allocator_may_return_null=0:${ASAN_OPTIONS:-}"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:${UBSAN_OPTIONS:-}"

say "Fuzzing each target for $seconds s"
failed=()
for target in "${TARGETS[@]}"; do
    corpus="$ROOT/build/fuzz/corpus/$target"
    artifacts="$ROOT/build/fuzz/artifacts/$target"
    log="$ROOT/build/fuzz/logs/$target.log"
    mkdir -p "$corpus" "$artifacts" "$(dirname "$log")"

    # The seed folder is read only: new inputs go to the first folder named.
    status=0
    TMPDIR="$scratch" timeout --kill-after=10 $((seconds + 120)) "build/fuzz/$target" \
        -max_total_time="$seconds" -timeout=25 -rss_limit_mb=2048 -max_len=4096 \
        -print_final_stats=1 -artifact_prefix="$artifacts/" \
        "$corpus" "fuzz/corpus/$target" >"$log" 2>&1 || status=$?

    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n1)
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -n1)
    units=$(find "$corpus" -type f | wc -l)
    printf '%-26s %12s executions %8s exec/s %6s inputs in corpus\n' "$target" "${runs:-?}" "${rate:-?}" "$units"

    if [ "$status" -ne 0 ] || [ -z "$runs" ] ||
        grep -qE 'ERROR: (AddressSanitizer|LeakSanitizer|UndefinedBehaviorSanitizer|libFuzzer)|runtime error:|== Check failed|^SUMMARY: ' "$log"; then
        echo "   FAILED (exit $status): $log" >&2
        grep -E 'ERROR:|runtime error:|== Check failed|SUMMARY:|Test unit written' "$log" | head -n 20 >&2 || true
        failed+=("$target")
    fi
done

if [ ${#failed[@]} -gt 0 ]; then
    echo "Fuzzing failed: ${failed[*]}" >&2
    exit 1
fi
say "Fuzzing found nothing in ${#TARGETS[@]} targets"
