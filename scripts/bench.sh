#!/usr/bin/env bash
# Builds the benchmarks (optimised, in build-bench/) and runs them, then prints how each case grows with its
# size: the time at each size divided by the time at the smallest, beside the size ratio, so linear growth
# reads as equal columns. Extra arguments go to the benchmark programs, e.g. --benchmark_filter=Load.
# TARVIK_BENCH_GUI=OFF leaves out the window benchmark (it needs Qt).
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

gui=${TARVIK_BENCH_GUI:-ON}
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DTARVIK_BUILD_BENCH=ON -DTARVIK_BUILD_TESTS=OFF \
    -DTARVIK_BUILD_GUI="$gui"
targets=(tarvik_bench tarvik_explore_bench tarvik_keep_bench)
[[ $gui == ON ]] && targets+=(tarvik_window_bench)
cmake --build build-bench -j2 --target "${targets[@]}"

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
build-bench/bench/tarvik_bench --benchmark_out="$out/engine.json" --benchmark_out_format=json "$@"
build-bench/bench/tarvik_explore_bench "$@"
build-bench/bench/tarvik_keep_bench --benchmark_out="$out/keep.json" --benchmark_out_format=json "$@"
if [[ $gui == ON ]]; then
    build-bench/bench/tarvik_window_bench --benchmark_out="$out/window.json" --benchmark_out_format=json "$@"
fi

python3 - "$out"/*.json <<'PY'
import json, re, sys
from collections import OrderedDict

families = OrderedDict()
memory = []
for path in sys.argv[1:]:
    for b in json.load(open(path))["benchmarks"]:
        if b.get("error_occurred"):
            continue
        if "Memory" in b["name"]:
            memory.append(b)
            continue
        m = re.match(r"([^/]+)/(\d+)", b["name"])
        if not m:
            continue
        families.setdefault(m.group(1), []).append((int(m.group(2)), b["cpu_time"], b["time_unit"]))

print()
print("Growth with size (CPU time; a linear case has time ratio = size ratio)")
print(f"{'case':<22}{'size':>9}{'time':>14}{'size x':>9}{'time x':>9}")
for name, runs in families.items():
    runs.sort()
    base_size, base_time, _ = runs[0]
    for size, time, unit in runs:
        print(f"{name:<22}{size:>9}{time:>11.2f} {unit:<2}{size / base_size:>9.2f}{time / base_time:>9.2f}")

if memory:
    print()
    print("Loading memory (MiB; extra = peak beyond the program store, in files' worth)")
    for b in memory:
        print(f"{b['name']:<40} file {b['file_MiB']:7.1f}  peak {b['peak_MiB']:7.1f}  store {b['store_MiB']:7.1f}"
              f"  extra {b['extra_per_file']:5.2f}")
PY
