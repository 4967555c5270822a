#!/usr/bin/env bash
# Reruns the benchmarks and prints their figures: the export encoders on a full 5000-line
# file, on a 20 MB export of long lines, and across sizes from 1 KB to 64 MB.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
cd "$ROOT"
ensure_packages
cmake --preset native -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build --preset native -j "$(nproc)" --target encoders_bench
build/native/bench/encoders_bench "$@"
