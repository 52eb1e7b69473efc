#!/usr/bin/env bash
# A short libFuzzer run of the settings reader (fuzz/settings_fuzz.cpp) in its own build
# folder, built with clang and AddressSanitizer + UndefinedBehaviorSanitizer. A crash, a
# leak, a broken invariant or a hang fails the run; the input is kept in build-fuzz/.
# POKO_FUZZ_SECONDS sets the length (default 20 s); fuzz/README.md shows a longer run.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${POKO_FUZZ_BUILD:-build-fuzz}
seconds=${POKO_FUZZ_SECONDS:-20}

CXX=clang++ cmake -S fuzz -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2 --target settings_fuzz

# New inputs go to a scratch corpus; the seeds in fuzz/corpus stay as committed.
work=$build/corpus
mkdir -p "$work" "$build/artifacts"
export ASAN_OPTIONS="detect_leaks=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
log=$build/fuzz.log
status=0
(cd "$build" && ./settings_fuzz -max_total_time="$seconds" -timeout=5 -rss_limit_mb=1024 \
    -max_len=8192 -print_final_stats=1 -artifact_prefix=artifacts/ \
    corpus "$root/fuzz/corpus") >"$log" 2>&1 || status=$?
grep -E '^#[0-9]+ +DONE|stat::number_of_executed_units|stat::average_exec_per_sec|stat::peak_rss_mb' \
    "$log" || true
if [ "$status" -ne 0 ]; then
    tail -n 60 "$log"
    echo "fuzz.sh: the settings reader failed under fuzzing (status $status); input in $build/artifacts/" >&2
    exit 1
fi
echo "fuzz.sh: ${seconds} s of fuzzing the settings reader found nothing"
