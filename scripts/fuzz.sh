#!/usr/bin/env bash
# Builds a fuzz target with clang (ASan, UBSan, libFuzzer; in build-fuzz/) and runs it.
#   scripts/fuzz.sh [seconds] [libFuzzer flags...]       the quest target, default 300 seconds
#   scripts/fuzz.sh he3 [seconds] [libFuzzer flags...]   the HE3 decoder target
#   scripts/fuzz.sh restore [seconds] [flags...]         saved games restored into a small quest
#   scripts/fuzz.sh settings [seconds] [flags...]        the settings file reader and writer
# The quest target runs in build-fuzz/run/, the HE3 target in build-fuzz/run-he3/: the growing corpus is in
# corpus/, crashes, hangs and sanitizer reports land in artifacts/, libFuzzer's log in fuzz-0.log. Quests name
# included files relative to the current folder, so running there keeps fuzzed includes away from the source
# tree. Saved reproducers in fuzz/regressions/ belong to the quest target, except those named he3-*.
# Replay one input:  build-fuzz/fuzz/tarvik_quest_fuzz FILE  (or tarvik_he3_fuzz)
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

target=quest
if [[ "${1:-}" == "he3" || "${1:-}" == "restore" || "${1:-}" == "settings" ]]; then
    target=$1
    shift
fi
seconds=${1:-300}
if [[ $# -gt 0 ]]; then shift; fi

cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
    -DTARVIK_BUILD_FUZZ=ON -DTARVIK_BUILD_TESTS=OFF -DTARVIK_BUILD_GUI=OFF
cmake --build build-fuzz -j2 --target "tarvik_${target}_fuzz"

fuzzer="$root/build-fuzz/fuzz/tarvik_${target}_fuzz"
shopt -s nullglob
if [[ $target == he3 ]]; then
    run="$root/build-fuzz/run-he3"
    seeds=("$root/fuzz/he3_seed")
    regressions=("$root"/fuzz/regressions/he3-*)
    # Inputs are at most 4 KB, so the decoder never needs more than a few MB: a larger allocation is a fault.
    replay_options=(-malloc_limit_mb=64)
    options=(-max_len=4096 "${replay_options[@]}")
elif [[ $target == restore || $target == settings ]]; then
    run="$root/build-fuzz/run-$target"
    seeds=("$root/fuzz/${target}_seed")
    regressions=("$root"/fuzz/regressions/"$target"-*)
    replay_options=()
    # Long lines are what these readers must survive: inputs up to 1 MB.
    options=(-max_len=1048576)
else
    run="$root/build-fuzz/run"
    seeds=("$root/fuzz/corpus_seed")
    regressions=()
    for f in "$root"/fuzz/regressions/*; do
        case $(basename "$f") in he3-* | restore-* | settings-*) ;; *) regressions+=("$f") ;; esac
    done
    replay_options=()
    options=(-dict="$root/fuzz/quest.dict" -max_len=4096)
fi
shopt -u nullglob

mkdir -p "$run/corpus" "$run/artifacts"
cd "$run"

# Two cores are shared with builds and tests: one fuzzing job.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

# Inputs that once crashed or hung must pass before new ones are looked for.
if [[ ${#regressions[@]} -gt 0 ]]; then
    echo "== replaying ${#regressions[@]} saved reproducers"
    if ! "$fuzzer" -timeout=10 -rss_limit_mb=2048 "${replay_options[@]}" "${regressions[@]}" >replay.log 2>&1; then
        cat replay.log
        echo "fuzz: a saved reproducer fails again" >&2
        exit 1
    fi
    grep -E "^Executed" replay.log
fi

echo "== fuzzing tarvik_${target}_fuzz for $seconds seconds"
status=0
"$fuzzer" "$run/corpus" "${seeds[@]}" \
    "${options[@]}" -timeout=10 -rss_limit_mb=2048 \
    -max_total_time="$seconds" -jobs=1 -workers=1 -print_final_stats=1 \
    -artifact_prefix="$run/artifacts/" "$@" || status=$?

if [[ -f fuzz-0.log ]]; then tail -n 40 fuzz-0.log; fi
echo "fuzz: corpus $(ls "$run/corpus" | wc -l) inputs; artifacts: $(ls "$run/artifacts" | wc -l)"
ls -l "$run/artifacts"
exit "$status"
