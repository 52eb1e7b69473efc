#!/usr/bin/env bash
# The unit suites once more, built with AddressSanitizer, LeakSanitizer and
# UndefinedBehaviorSanitizer in build-asan/. Any report from our own code fails the run;
# known leaks inside system libraries are listed in scripts/lsan.supp.
# usage: scripts/sanitize.sh [--build-only]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${POKO_ASAN_BUILD:-build-asan}
started=$(date +%s)

# One compilation per batch of a target's sources (a unity build) and line tables only: a
# third less compiling, where the sanitizers' reports need no more than file and line.
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-g1 -DCMAKE_UNITY_BUILD=ON \
    -DCMAKE_CXX_FLAGS="-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined" \
    -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null

# Only the unit suites and the data they read (generated sounds and rating pictures).
targets=(sounds figures)
for suite in tests/unit/tst_*.cpp; do
    targets+=("$(basename "$suite" .cpp)")
done
cmake --build "$build" -j2 --target "${targets[@]}"
[ "${1:-}" != --build-only ] || exit 0

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:strict_string_checks=1:detect_stack_use_after_return=1:check_initialization_order=1"
export LSAN_OPTIONS="suppressions=$root/scripts/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
(cd "$build" && ctest -L unit --output-on-failure -j2 --timeout 900)
echo "sanitize.sh: unit suites clean under ASan/LSan/UBSan in $(($(date +%s) - started)) s"
