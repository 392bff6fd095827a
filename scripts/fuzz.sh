#!/usr/bin/env bash
# Builds the fuzz targets (clang, in build-fuzz/) and runs every one for SECONDS (default 300), at most
# JOBS at once (default: the number of cores). Each starts from a copy of its seeds in fuzz/seeds/, so
# that the inputs it finds stay in the build folder. A crash, a leak, a hang or a failed oracle fails
# the run; the input and the log are kept in build-fuzz/runs/TARGET/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-300}
jobs=${JOBS:-$(nproc)}
build=build-fuzz
scripts/setup.sh
CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVELLORAN_FUZZ=ON -DVELLORAN_TESTS=OFF >/dev/null
cmake --build "$build"

runs=$build/runs
rm -rf "$runs"
run() {
    local target=$1 dir=$runs/$1
    mkdir -p "$dir/corpus"
    if [[ -d fuzz/seeds/$target ]]; then
        cp fuzz/seeds/"$target"/* "$dir/corpus/"
    fi
    if "$build/fuzz/$target" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
        -artifact_prefix="$dir/" "$dir/corpus" >"$dir/log" 2>&1; then
        touch "$dir/passed"
    fi
}

targets=()
for source in fuzz/*_fuzz.cpp; do
    targets+=("$(basename "$source" .cpp)")
done
for target in "${targets[@]}"; do
    while (($(jobs -rp | wc -l) >= jobs)); do
        wait -n || true
    done
    run "$target" &
done
wait

failed=0
for target in "${targets[@]}"; do
    dir=$runs/$target
    if [[ -e $dir/passed ]]; then
        runs_done=$(sed -n 's/^stat::number_of_executed_units: *//p' "$dir/log")
        corpus=$(find "$dir/corpus" -type f | wc -l)
        echo "$target: ${runs_done:-?} runs in $seconds s, corpus of $corpus inputs"
    else
        tail -n 60 "$dir/log"
        echo "$target: FAILED (input and log in $dir/)" >&2
        failed=1
    fi
done
exit "$failed"
