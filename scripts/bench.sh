#!/usr/bin/env bash
# Builds the engine benchmarks (optimised, in build-bench/) and runs them. Extra arguments go to the benchmark
# program, e.g. --benchmark_filter=Load.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DTARVIK_BUILD_BENCH=ON -DTARVIK_BUILD_TESTS=OFF -DTARVIK_BUILD_GUI=OFF
cmake --build build-bench -j2 --target tarvik_bench

exec build-bench/bench/tarvik_bench "$@"
