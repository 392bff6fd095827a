#!/bin/sh
# Every benchmark on trees written for it, then one table: job, our figure, the reference, the ratio.
#   bench/run_all.sh [--quick] [--large] [--runs N] [DIR]
# DIR (default ${TMPDIR:-/var/tmp}/velloran-bench) holds the trees, written once and reused; its file
# system must keep user extended attributes. The Release build goes to build-bench/.
#   --quick   the 10k tree, 20k finds, the 300-product collection, 2.5k pieces moved to the Trash and
#             the sample home's moved beside 20,000 items of one name only, 3 runs (else also the 100k
#             tree and finds, a folder of 300,000 files with links to itself, a 60,000-level chain of
#             folders, 10,000 products and 10k pieces moved)
#   --large   the 1M-entry tree as well
#   --runs N  runs of each job (default 5)
# Each run is a process of its own, beside the reference's run in the same round, with warm caches.
# Figures are medians [min-max]; a ratio is the median of the rounds' own ratios.
set -eu
cd "$(dirname "$0")/.."
source_dir=$(pwd)
quick=0
large=0
runs=5
dir=${TMPDIR:-/var/tmp}/velloran-bench
while [ $# -gt 0 ]; do
    case $1 in
    --quick) quick=1 runs=3 ;;
    --large) large=1 ;;
    --runs) runs=$2; shift ;;
    -*) echo "usage: bench/run_all.sh [--quick] [--large] [--runs N] [DIR]" >&2; exit 2 ;;
    *) dir=$1 ;;
    esac
    shift
done

mkdir -p "$dir"
dir=$(cd "$dir" && pwd)
build=$source_dir/build-bench
echo "building Release in $build ..." >&2
{ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release &&
    cmake --build "$build" -j4 --target make_bench_trees reference_walk search_bench collection_bench trash_bench \
        msgbox_bench velloran-samplehome; } \
    >"$dir/build.log" 2>&1 || { tail -30 "$dir/build.log" >&2; exit 1; }
bin=$build/bench

# Writes NAME under DIR once: a tree that was not finished is written anew.
make_once() {
    name=$1 mode=$2
    shift 2
    if [ ! -f "$dir/$name.done" ]; then
        echo "writing $dir/$name ..." >&2
        rm -rf "${dir:?}/$name"
        "$bin/make_bench_trees" "$mode" "$dir/$name" "$@" >"$dir/$name.done.tmp" 2>&1 ||
            { cat "$dir/$name.done.tmp" >&2; exit 1; }
        mv "$dir/$name.done.tmp" "$dir/$name.done"
    fi
}
make_catalogue() { # NAME ROWS (0: the search's six products)
    if [ ! -f "$dir/$1/appList.txt" ]; then
        mkdir -p "$dir/$1"
        if [ "$2" = 0 ]; then
            "$bin/make_bench_trees" search-catalogue "$dir/$1/appList.txt" >/dev/null
        else
            "$bin/make_bench_trees" catalogue "$dir/$1/appList.txt" "$2" >/dev/null
        fi
    fi
}

trees="10k:10000"
finds="20k:20000"
catalogues="300"
if [ $quick = 0 ]; then
    trees="$trees 100k:100000"
    finds="$finds 100k:100000"
    catalogues="300 10000"
fi
if [ $large = 1 ]; then trees="$trees 1m:1000000"; fi

for t in $trees; do make_once "tree-${t%%:*}" tree "${t#*:}"; done
if [ $quick = 0 ]; then
    make_once links-300k links 300000
    make_once chain-60k chain 60000
fi
for f in $finds; do make_once "finds-${f%%:*}" finds "${f#*:}"; done
make_once home home 300 1000 3000
make_catalogue catalogue-search 0
for c in $catalogues; do make_catalogue "catalogue-$c" "$c"; done

results=$dir/results.txt
: >"$results"
# record JOB ROUND: the "key value" lines on standard input, as "JOB key ROUND value".
record() { awk -v job="$1" -v round="$2" 'NF == 2 { print job, $1, round, $2 }' >>"$results"; }
# run JOB ROUND LIMIT COMMAND...: runs it, records what it printed under JOB; on failure records the
# error and returns 1. The command keeps its own time limit; this one is the backstop.
run() {
    run_job=$1 run_round=$2 run_limit=$3
    shift 3
    if out=$(timeout -k 5 $((run_limit + 30)) "$@" 2>"$dir/stderr.txt"); then
        echo "$out" | record "$run_job" "$run_round"
    else
        status=$?
        why=$(grep -m1 '^error' "$dir/stderr.txt" || echo "exit status $status")
        echo "$run_job error $run_round $why" | tr -s ' ' >>"$results"
        echo "$run_job: $why" >&2
        return 1
    fi
}
now() { date +%s%N; }
find_once() { # JOB ROUND TREE LIMIT
    start=$(now)
    if ! timeout "$4" find -P "$3" >/dev/null; then
        echo "$1 error $2 find -P did not finish within $4 s" >>"$results"
        return
    fi
    awk -v ns=$(($(now) - start)) 'BEGIN { printf "seconds %.4f\n", ns / 1e9 }' | record "$1" "$2"
}
# A tree's limit: 10 s and 60 s for every 100,000 entries.
limit_for() { echo $(( 10 + $1 * 60 / 100000 )); }

# search_rounds JOB FOLDER LIMIT [find]: each round, the reference walk's run (and find's), then ours.
search_rounds() {
    round=1
    while [ $round -le "$runs" ]; do
        if [ "${4:-}" = find ]; then find_once "$1.find" $round "$2" "$3"; fi
        run "$1.ref" $round "$3" "$bin/reference_walk" search "$2" "$catalogue" --time-limit "$3" &&
            run "$1" $round "$3" "$bin/search_bench" "$2" "$catalogue" --time-limit "$3" || break
        round=$((round + 1))
    done
}

echo "commit $(git describe --always --dirty 2>/dev/null || echo unknown); load before: $(cut -d' ' -f1-3 /proc/loadavg)" >"$dir/load.txt"
catalogue=$dir/catalogue-search/appList.txt
for t in $trees; do
    name=${t%%:*} tree=$dir/tree-${t%%:*}
    echo "search, tree $name ..." >&2
    find -P "$tree" >/dev/null
    "$bin/reference_walk" search "$tree" "$catalogue" >/dev/null # warms the cache for all three
    sed 's/^/tree_/' "$dir/tree-$name.done" | record "tree-$name" 0
    search_rounds "tree-$name" "$tree" "$(limit_for "${t#*:}")" find
done
if [ $quick = 0 ]; then
    echo "search, 300k folder with links to itself ..." >&2
    "$bin/reference_walk" search "$dir/links-300k" "$catalogue" >/dev/null
    search_rounds links-300k "$dir/links-300k" "$(limit_for 300000)"
    # No reference: its walk takes a frame per level. Ours ends where paths end.
    echo "search, 60,000-level chain ..." >&2
    round=1
    while [ $round -le "$runs" ]; do
        run chain-60k $round 60 "$bin/search_bench" "$dir/chain-60k" "$catalogue" --time-limit 60 || break
        round=$((round + 1))
    done
fi
for f in $finds; do
    name=${f%%:*} tree=$dir/finds-${f%%:*}
    echo "search, $name finds ..." >&2
    "$bin/reference_walk" search "$tree" "$catalogue" >/dev/null
    search_rounds "finds-$name" "$tree" $((6 * $(limit_for "${f#*:}")))
done
for c in $catalogues; do
    echo "collection, $c-row catalogue ..." >&2
    cat=$dir/catalogue-$c/appList.txt limit=$((60 + c / 10))
    round=1
    while [ $round -le "$runs" ]; do
        run "collection-$c.ref" $round "$limit" "$bin/reference_walk" collection "$dir/home" "$cat" --time-limit "$limit" &&
            run "collection-$c" $round "$limit" env HOME="$dir/home" "$bin/collection_bench" "$cat" --time-limit "$limit" ||
            break
        round=$((round + 1))
    done
done
# The move to the Trash: a home whose collection finds about PIECES pieces (3.5 a product), copied
# afresh from its template before each run, into a Trash that holds HELD items already. Beside it in
# each round, `gio trash` of the same paths, in one process, into a Trash of the same state.
trash_jobs="10k:2858:0 2.5k:715:0 2.5k-held:715:20000"
if [ $quick = 1 ]; then trash_jobs="2.5k:715:0 2.5k-held:715:20000"; fi
# trash_template NAME PRODUCTS HELD: the home, with HELD items in its Trash, written once.
trash_template() {
    make_once "trash-home-$2" home "$2" 0 0
    make_catalogue "catalogue-$2" "$2"
    if [ "$3" -gt 0 ] && [ ! -f "$dir/$1.done" ]; then
        rm -rf "${dir:?}/$1" && cp -a "$dir/trash-home-$2" "$dir/$1"
        trash=$dir/$1/.local/share/Trash
        mkdir -p "$trash/files" "$trash/info"
        i=0
        while [ $i -lt "$3" ]; do
            printf 'x' >"$trash/files/held $i.txt"
            printf '[Trash Info]\nPath=/var/tmp/held %d.txt\nDeletionDate=2024-01-01T10:00:00\n' $i >"$trash/info/held $i.txt.trashinfo"
            i=$((i + 1))
        done
        touch "$dir/$1.done"
    fi
}
# trash_round JOB ROUND TEMPLATE CATALOGUE LIMIT: the reference's move, then ours, each on a fresh copy.
trash_round() {
    work=$dir/trash-work
    rm -rf "$work" && cp -a "$3" "$work"
    if ! HOME=$work "$bin/trash_bench" "$4" --list --time-limit "$5" >"$dir/trash-paths.txt" 2>"$dir/stderr.txt"; then
        echo "$1.ref error $2 the collection that lists the paths failed" >>"$results"
        return 1
    fi
    start=$(now)
    HOME=$work bash -c 'mapfile -t paths <"$1"; exec gio trash "${paths[@]}"' _ "$dir/trash-paths.txt" 2>/dev/null || true
    awk -v ns=$(($(now) - start)) -v n="$(wc -l <"$dir/trash-paths.txt")" \
        'BEGIN { printf "seconds %.4f\npieces %d\n", ns / 1e9, n }' | record "$1.ref" "$2"
    rm -rf "$work" && cp -a "$3" "$work"
    run "$1" "$2" "$5" env HOME="$work" "$bin/trash_bench" "$4" --time-limit "$5"
}
for t in $trash_jobs; do
    job=trash-${t%%:*} rest=${t#*:}
    products=${rest%%:*} held=${rest#*:}
    template=$dir/trash-home-$products
    if [ "$held" -gt 0 ]; then
        template=$dir/trash-home-$products-held-$held
        trash_template "trash-home-$products-held-$held" "$products" "$held"
    else
        trash_template "trash-home-$products" "$products" 0
    fi
    echo "move to the Trash, ${job#trash-} ..." >&2
    round=1
    while [ $round -le "$runs" ]; do
        trash_round "$job" $round "$template" "$dir/catalogue-$products/appList.txt" 300 || break
        round=$((round + 1))
    done
done
# The sample home, whose three pieces named "Tessolin II" go into a Trash holding 20,000 entries of
# that name ("Tessolin II", "Tessolin II.2", ...): each move's look for a free name, GLib's and ours,
# passes them all.
if [ ! -f "$dir/trash-home-namesakes.done" ]; then
    echo "writing $dir/trash-home-namesakes ..." >&2
    rm -rf "${dir:?}/trash-home-namesakes"
    "$build/tools/velloran-samplehome" "$dir/trash-home-namesakes" >/dev/null
    trash=$dir/trash-home-namesakes/.local/share/Trash
    mkdir -p "$trash/files" "$trash/info"
    i=1
    while [ $i -le 20000 ]; do
        name="Tessolin II.$i"
        if [ $i = 1 ]; then name="Tessolin II"; fi
        : >"$trash/files/$name"
        printf '[Trash Info]\nPath=/var/tmp/%s\nDeletionDate=2024-01-01T10:00:00\n' "$name" >"$trash/info/$name.trashinfo"
        i=$((i + 1))
    done
    touch "$dir/trash-home-namesakes.done"
fi
echo "move to the Trash, the sample home beside 20,000 of the same name ..." >&2
round=1
while [ $round -le "$runs" ]; do
    trash_round trash-namesakes $round "$dir/trash-home-namesakes" "$source_dir/Resources/appList.txt" 300 || break
    round=$((round + 1))
done
rm -rf "${dir:?}/trash-work"
# The end-of-run message naming every piece of a run that moved none: 4,000 of them, and 35,000 (a
# 10,000-row catalogue's collection).
for lines in 4000 35000; do
    echo "end-of-run message, $lines lines ..." >&2
    round=1
    while [ $round -le "$runs" ]; do
        run "msgbox-$lines" $round 60 "$bin/msgbox_bench" "$lines" --time-limit 60 || break
        round=$((round + 1))
    done
done
echo "; after: $(cut -d' ' -f1-3 /proc/loadavg)" >>"$dir/load.txt"

# The table, from the results.
awk -v runs="$runs" -v load="$(tr -d '\n' <"$dir/load.txt")" '
function sortv(a, n,   i, j, t) { for (i = 2; i <= n; i++) for (j = i; j > 1 && a[j-1] > a[j]; j--) { t = a[j]; a[j] = a[j-1]; a[j-1] = t } }
# The values of JOB KEY over the rounds, sorted into v; their count.
function values(job, key, v,   n, r) { n = 0; for (r = 1; r <= runs; r++) if ((job, key, r) in x) v[++n] = x[job, key, r]; sortv(v, n); return n }
function median(v, n) { return n % 2 ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2 }
function num(value) { return value >= 100 ? sprintf("%.0f", value) : value >= 10 ? sprintf("%.1f", value) : value >= 1 ? sprintf("%.2f", value) : sprintf("%.3f", value) }
function fig(job, key, unit,   v, n) {
    n = values(job, key, v)
    return n ? sprintf("%s %s [%s-%s]", num(median(v, n)), unit, num(v[1]), num(v[n])) : "-"
}
# The median of the rounds own ratios of KEY.
function ratio(job, ref, key,   v, n, r) {
    n = 0
    for (r = 1; r <= runs; r++) if ((job, key, r) in x && (ref, key, r) in x && x[ref, key, r] > 0) v[++n] = x[job, key, r] / x[ref, key, r]
    sortv(v, n)
    return n ? sprintf("%.1fx", median(v, n)) : "-"
}
function worst(job, key,   v, n) { n = values(job, key, v); return n ? v[n] : -1 }
# What is wrong with a job: a failed run, a count unlike the reference, rows unlike another run.
function notes(job, ref,   r, note) {
    note = ""
    for (r = 1; r <= runs; r++) {
        if ((job, "error", r) in x) note = note " FAILED: " x[job, "error", r]
        if ((ref, "error", r) in x) note = note " REFERENCE FAILED: " x[ref, "error", r]
        if ((job, "rows", r) in x && x[job, "rows", r] != x[ref, "rows", r]) note = note sprintf(" MISMATCH in round %d: %s rows, reference %s", r, x[job, "rows", r], x[ref, "rows", r])
        if ((job, "pieces", r) in x && x[job, "pieces", r] != x[ref, "pieces", r]) note = note sprintf(" MISMATCH in round %d: %s pieces, reference %s", r, x[job, "pieces", r], x[ref, "pieces", r])
        if ((job, "rows_digest", r) in x && x[job, "rows_digest", r] != x[job, "rows_digest", 1]) note = note sprintf(" the rows of round %d differ from those of round 1", r)
    }
    return note
}
function row(label, job, ref, what) {
    printf "| %s | %s | %s: %s | %s | %s |\n", label notes(job, ref), fig(job, "seconds", "s"), what, fig(ref, "seconds", "s"), ratio(job, ref, "seconds"), ratio(job, ref, "cpu_seconds")
}
{ if ($2 == "error") { text = $4; for (i = 5; i <= NF; i++) text = text " " $i; x[$1, $2, $3] = text } else x[$1, $2, $3] = $4 }
$3 == 1 { seen[$1] = 1 }
END {
    printf "Runs per job: %d; %s (load averages over 1, 5, 15 minutes)\n\n", runs, load
    print "| job | ours: median [min-max] | reference: median [min-max] | ratio | processor-time ratio |"
    print "|---|---|---|---|---|"
    split("10k 100k 1m", sizes, " ")
    for (i = 1; i <= 3; i++) {
        j = "tree-" sizes[i]
        if (!(j in seen)) continue
        row(sprintf("folder search, %s entries (wide folder %s, deep chain %s)", x[j, "tree_entries", 0], x[j, "tree_wide", 0], x[j, "tree_depth", 0]), j, j ".ref", "C walk making the same reads")
        printf "| | | find -P: %s | %s | |\n", fig(j ".find", "seconds", "s"), ratio(j, j ".find", "seconds")
    }
    if ("links-300k" in seen) row("one folder of 300,000 files, nine links to it named like an application", "links-300k", "links-300k.ref", "C walk making the same reads")
    split("20k 100k", sizes, " ")
    for (i = 1; i <= 2; i++) {
        j = "finds-" sizes[i]
        if (j in seen) row("search listing " sizes[i] " rows", j, j ".ref", "C walk finding them")
    }
    split("300 10000", sizes, " ")
    for (i = 1; i <= 2; i++) {
        j = "collection-" sizes[i]
        if (j in seen) row(sizes[i] == 300 ? "collection, 300 products, 1000 other apps, 3000 other preferences" : "the same home with a " sizes[i] "-row catalogue", j, j ".ref", "the same matches, each folder read once")
    }
    print ""
    print "| job | largest event-loop stall, worst run | its time into the run | first slice, worst | chooser closing (apart), median | peak memory, median | memory kept per row, median | clearing the rows: time, worst stall |"
    print "|---|---|---|---|---|---|---|---|"
    split("tree-10k tree-100k tree-1m links-300k chain-60k finds-20k finds-100k collection-300 collection-10000", jobs, " ")
    for (i = 1; i <= 9; i++) {
        j = jobs[i]
        if (!(j in seen)) continue
        at = 0
        for (r = 1; r <= runs; r++) if ((j, "stall_ms", r) in x && x[j, "stall_ms", r] == worst(j, "stall_ms")) at = x[j, "stall_at_ms", r]
        n = values(j, "chooser_ms", v); chooser = n ? sprintf("%.1f ms", median(v, n)) : "-"
        n = values(j, "peak_kib", v); peak = sprintf("%.0f MiB", median(v, n) / 1024)
        perRow = "-"
        if (j ~ /^finds/) {
            n = 0; for (r = 1; r <= runs; r++) if ((j, "rss_end_kib", r) in x) w[++n] = (x[j, "rss_end_kib", r] - x[j, "rss_start_kib", r]) * 1024 / x[j, "rows", r]
            sortv(w, n); perRow = sprintf("%.0f bytes", median(w, n))
        }
        clear = j ~ /^finds/ ? sprintf("%s, %.1f ms", fig(j, "clear_ms", "ms"), worst(j, "clear_stall_ms")) : "-"
        printf "| %s | %.1f ms | %.0f ms | %.1f ms | %s | %s | %s | %s |\n", j, worst(j, "stall_ms"), at, worst(j, "first_slice_ms"), chooser, peak, perRow, clear
    }
}' "$results" | tee "$dir/table.md"

# The moves to the Trash, from the same results.
awk -v runs="$runs" '
function sortv(a, n,   i, j, t) { for (i = 2; i <= n; i++) for (j = i; j > 1 && a[j-1] > a[j]; j--) { t = a[j]; a[j] = a[j-1]; a[j-1] = t } }
function values(job, key, v,   n, r) { n = 0; for (r = 1; r <= runs; r++) if ((job, key, r) in x) v[++n] = x[job, key, r]; sortv(v, n); return n }
function median(v, n) { return n % 2 ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2 }
function fig(job, key,   v, n) { n = values(job, key, v); return n ? sprintf("%.3f [%.3f-%.3f]", median(v, n), v[1], v[n]) : "-" }
function ratio(job, ref,   v, n, r) {
    n = 0
    for (r = 1; r <= runs; r++) if ((job, "seconds", r) in x && (ref, "seconds", r) in x && x[ref, "seconds", r] > 0) v[++n] = x[job, "seconds", r] / x[ref, "seconds", r]
    sortv(v, n)
    return n ? sprintf("%.2fx", median(v, n)) : "-"
}
{ if ($2 == "error") { text = $4; for (i = 5; i <= NF; i++) text = text " " $i; x[$1, $2, $3] = text } else x[$1, $2, $3] = $4 }
$3 == 1 { seen[$1] = 1 }
END {
    if (!("trash-2.5k" in seen)) exit
    print ""
    print "| move to the Trash | ours, s: median [min-max] | gio trash of the same paths, s | ratio | pieces, moved, messages | largest stall, worst run |"
    print "|---|---|---|---|---|---|"
    split("10k 2.5k 2.5k-held namesakes", names, " ")
    for (i = 1; i <= 4; i++) {
        j = "trash-" names[i]
        if (!(j in seen)) continue
        note = ""
        for (r = 1; r <= runs; r++) {
            if ((j, "error", r) in x) note = note " FAILED: " x[j, "error", r]
            if ((j ".ref", "error", r) in x) note = note " REFERENCE FAILED: " x[j ".ref", "error", r]
            if ((j, "pieces", r) in x && x[j, "pieces", r] != x[j ".ref", "pieces", r]) note = note sprintf(" MISMATCH in round %d", r)
        }
        n = values(j, "stall_ms", v)
        label = names[i] == "2.5k-held" ? "2.5k pieces into a Trash holding 20,000" : names[i] == "namesakes" ? "the sample home, three pieces named \"Tessolin II\" beside 20,000 of that name" : names[i] " pieces"
        printf "| %s%s | %s | %s | %s | %s, %s, %s | %.1f ms |\n", label, note, fig(j, "seconds"), fig(j ".ref", "seconds"), ratio(j, j ".ref"), x[j, "pieces", 1], x[j, "trashed", 1], x[j, "messages", 1], n ? v[n] : -1
    }
    if ("trash-2.5k-held" in seen) printf "\n2.5k pieces into the full Trash: %s the time into an empty one (medians).\n", ratio("trash-2.5k-held", "trash-2.5k")
}' "$results" | tee -a "$dir/table.md"

# The end-of-run messages, from the same results.
awk -v runs="$runs" '
{ x[$1, $2, $3] = $4 }
$3 == 1 { seen[$1] = 1 }
END {
    print ""
    print "| end-of-run message | largest event-loop stall, worst run | box height, px | screen height, px | within the screen, every run |"
    print "|---|---|---|---|---|"
    split("4000 35000", sizes, " ")
    for (i = 1; i <= 2; i++) {
        j = "msgbox-" sizes[i]
        if (!(j in seen)) continue
        worst = 0; fits = "yes"
        for (r = 1; r <= runs; r++) {
            if ((j, "error", r) in x) fits = "FAILED"
            if ((j, "stall_ms", r) in x && x[j, "stall_ms", r] > worst) worst = x[j, "stall_ms", r]
            if ((j, "fits", r) in x && x[j, "fits", r] != 1) fits = "no"
        }
        printf "| %s lines | %.1f ms | %s | %s | %s |\n", sizes[i], worst, x[j, "box_height", 1], x[j, "screen_height", 1], fits
    }
}' "$results" | tee -a "$dir/table.md"
