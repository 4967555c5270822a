#!/usr/bin/env bash
# Reruns the native benchmarks and prints their figures: the export encoders on a full
# 5000-line file, on a 20 MB export of long lines and across sizes from 1 KB to 64 MB; the
# file reader's throughput; the route table's build and lookups; the settings' load and save.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
cd "$ROOT"
ensure_packages
cmake --preset native -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build --preset native -j "$(nproc)" --target encoders_bench files_bench
build/native/bench/encoders_bench "$@"
build/native/bench/files_bench "$@"
