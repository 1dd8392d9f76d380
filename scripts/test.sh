#!/usr/bin/env bash
# Builds and runs the whole test suite twice: an optimised build in build/, then a debug build in build-asan/
# under AddressSanitizer and UndefinedBehaviorSanitizer, so memory errors and undefined behaviour fail the run.
# Both stages always run; the script fails when either does.
set -uo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

bash scripts/setup.sh || exit 1

# The machine this runs on has two cores.
jobs=2
failed=()

stage() {
    local name=$1 dir=$2
    shift 2
    echo "== $name ($dir/)"
    cmake -S . -B "$dir" -G Ninja -DTARVIK_BUILD_TESTS=ON "$@" &&
        cmake --build "$dir" -j"$jobs" &&
        ctest --test-dir "$dir" --output-on-failure -j"$jobs" || failed+=("$name")
}

stage "Release build and tests" build -DCMAKE_BUILD_TYPE=Release -DTARVIK_BUILD_GUI=ON

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$root/scripts/lsan.supp
# The window toolkit's own allocations would drown the engine's reports; the widgets are tested above.
stage "Sanitizer build and tests" build-asan -DCMAKE_BUILD_TYPE=Debug -DTARVIK_SANITIZE=ON -DTARVIK_BUILD_GUI=OFF

if [[ ${#failed[@]} -gt 0 ]]; then
    printf '== FAILED: %s\n' "${failed[@]}"
    exit 1
fi
echo "== All tests passed"
