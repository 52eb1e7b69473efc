#!/usr/bin/env bash
# A short libFuzzer run of each reader of outside bytes, the settings reader
# (fuzz/settings_fuzz.cpp) and the wave reader (fuzz/wave_fuzz.cpp), in their own build
# folder, built with clang and AddressSanitizer + UndefinedBehaviorSanitizer. A crash, a
# leak, a broken invariant or a hang fails the run; the input is kept in build-fuzz/.
# POKO_FUZZ_SECONDS sets the length of the whole run, shared between the two (default 20 s);
# fuzz/README.md shows a longer run.
# usage: scripts/fuzz.sh [--build-only]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${POKO_FUZZ_BUILD:-build-fuzz}
seconds=${POKO_FUZZ_SECONDS:-20}
targets=(settings wave)
each=$(((seconds + ${#targets[@]} - 1) / ${#targets[@]}))

CXX=clang++ cmake -S fuzz -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2 --target settings_fuzz wave_fuzz
[ "${1:-}" != --build-only ] || exit 0

export ASAN_OPTIONS="detect_leaks=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
for target in "${targets[@]}"; do
    # New inputs go to a scratch corpus; the seeds in fuzz/ stay as committed.
    seeds=$root/fuzz/corpus
    [ "$target" = settings ] || seeds=$root/fuzz/$target-corpus
    work=$build/corpus-$target
    mkdir -p "$work" "$build/artifacts"
    log=$build/fuzz-$target.log
    status=0
    (cd "$build" && "./${target}_fuzz" -max_total_time="$each" -timeout=5 -rss_limit_mb=1024 \
        -max_len=8192 -print_final_stats=1 -artifact_prefix=artifacts/ \
        "corpus-$target" "$seeds") >"$log" 2>&1 || status=$?
    grep -E '^#[0-9]+ +DONE|stat::number_of_executed_units|stat::average_exec_per_sec|stat::peak_rss_mb' \
        "$log" | sed "s/^/$target: /" || true
    if [ "$status" -ne 0 ]; then
        tail -n 60 "$log"
        echo "fuzz.sh: the $target reader failed under fuzzing (status $status); input in $build/artifacts/" >&2
        exit 1
    fi
    echo "fuzz.sh: ${each} s of fuzzing the $target reader found nothing"
done
