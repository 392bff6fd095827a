#!/bin/sh
# The folder search beside `find -P` over the same tree of about 200,000 entries, both with a warm
# cache, best of three runs each; then the event loop's largest delay and the memory of the search.
#   bench/search_vs_find.sh [BUILD_DIR] [TREE_DIR]
# The build folder is made as a Release build when it has no benchmark yet; the tree is written
# once and reused.
set -eu
cd "$(dirname "$0")/.."
build=${1:-build-release}
tree=${2:-${TMPDIR:-/tmp}/velloran-search-tree}
bench="$build/bench/search_bench"

if [ ! -x "$bench" ]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build "$build" -j8 --target search_bench >/dev/null
fi
if [ ! -d "$tree" ]; then
    mkdir -p "$tree"
    echo "writing the tree in $tree ..."
    "$bench" --make-tree "$tree"
fi

now() { date +%s%N; }
find -P "$tree" >/dev/null # warms the cache for both

best_find=
for run in 1 2 3; do
    start=$(now)
    find -P "$tree" >/dev/null
    took=$(( $(now) - start ))
    if [ -z "$best_find" ] || [ "$took" -lt "$best_find" ]; then best_find=$took; fi
done

best_search=
for run in 1 2 3; do
    out=$("$bench" --search "$tree")
    took=$(echo "$out" | awk '/^search_seconds/ { printf "%d", $2 * 1e9 }')
    if [ -z "$best_search" ] || [ "$took" -lt "$best_search" ]; then
        best_search=$took
        best_out=$out
    fi
done

entries=$(find -P "$tree" -mindepth 1 | wc -l)
echo "entries                     $entries"
awk -v s="$best_search" -v f="$best_find" 'BEGIN {
    printf "search                      %.3f s\n", s / 1e9
    printf "find -P                     %.3f s\n", f / 1e9
    printf "ratio search / find         %.2f\n", s / f
}'
echo "$best_out" | awk '
    /^search_cpu_seconds/ { printf "search processor time       %s s (same run)\n", $2 }
    /^rows / { printf "rows listed                 %s\n", $2 }
    /^rows_digest/ { printf "rows digest                 %s\n", $2 }
    /^largest_event_loop_delay_ms/ { printf "largest event-loop delay    %s ms (in the walk)\n", $2 }
    /^chooser_closing_delay_ms/ { printf "                            %s ms (while the chooser closes)\n", $2 }
    /^rss_kib_at_start/ { printf "memory at the walk'"'"'s start   %d KiB\n", $2 }
    /^rss_kib_largest/ { printf "memory at most in the walk  %d KiB\n", $2 }'
