#!/usr/bin/env bash
# Builds the quest fuzz target with clang (ASan, UBSan, libFuzzer; in build-fuzz/) and runs it.
#   scripts/fuzz.sh [seconds] [libFuzzer flags...]     default 300 seconds
# The run happens in build-fuzz/run/: the growing corpus is in corpus/, crashes, hangs and sanitizer reports
# land in artifacts/, libFuzzer's log in fuzz-0.log. Quests name included files relative to the current
# folder, so running there keeps fuzzed includes away from the source tree.
# Replay one input:  build-fuzz/fuzz/tarvik_quest_fuzz FILE
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

seconds=${1:-300}
if [[ $# -gt 0 ]]; then shift; fi

cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
    -DTARVIK_BUILD_FUZZ=ON -DTARVIK_BUILD_TESTS=OFF -DTARVIK_BUILD_GUI=OFF
cmake --build build-fuzz -j2 --target tarvik_quest_fuzz

run="$root/build-fuzz/run"
mkdir -p "$run/corpus" "$run/artifacts"
cd "$run"

# Two cores are shared with builds and tests: one fuzzing job.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
fuzzer="$root/build-fuzz/fuzz/tarvik_quest_fuzz"

# Inputs that once crashed or hung must pass before new ones are looked for.
regressions=("$root"/fuzz/regressions/*)
if [[ -e "${regressions[0]}" ]]; then
    echo "== replaying ${#regressions[@]} saved reproducers"
    if ! "$fuzzer" -timeout=10 -rss_limit_mb=2048 "${regressions[@]}" >replay.log 2>&1; then
        cat replay.log
        echo "fuzz: a saved reproducer fails again" >&2
        exit 1
    fi
    grep -E "^Executed" replay.log
fi

echo "== fuzzing for $seconds seconds"
status=0
"$fuzzer" "$run/corpus" "$root/fuzz/corpus_seed" \
    -dict="$root/fuzz/quest.dict" -max_len=4096 -timeout=10 -rss_limit_mb=2048 \
    -max_total_time="$seconds" -jobs=1 -workers=1 -print_final_stats=1 \
    -artifact_prefix="$run/artifacts/" "$@" || status=$?

if [[ -f fuzz-0.log ]]; then tail -n 40 fuzz-0.log; fi
echo "fuzz: corpus $(ls "$run/corpus" | wc -l) inputs; artifacts: $(ls "$run/artifacts" | wc -l)"
ls -l "$run/artifacts"
exit "$status"
