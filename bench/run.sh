#!/usr/bin/env bash
# Builds the benchmark (Release) and runs every workload; the growth plots
# go to docs/performance/. Extra arguments go to the tool (--quick, --only W3).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset bench -DVELMORA_BUILD_TESTS=OFF >/dev/null
cmake --build build/bench -j2 --target velmora_bench
build/bench/bin/velmora_bench --plots docs/performance "$@"
