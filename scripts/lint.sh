#!/usr/bin/env bash
# The lint that CI runs: every tracked C++ file as .clang-format lays it out and with no include that
# climbs out of its folder, then clang-tidy with .clang-tidy over every source that a build compiles.
# A difference or a finding fails the run.
# JOBS clang-tidy runs at once (default: the number of cores); the full log is left in build-test/.
set -euo pipefail

# An include that climbs out of its folder with "../" is found beside the including file, past the
# include roots that keep each layer to the layers below it. Names each one; fails when there is any,
# or when a file cannot be read. `scripts/lint.sh --includes FILE...` runs this check alone.
check_includes() {
    local hits status=0 file line text
    hits=$(grep -nHE '^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"]([^">]*/)?\.\./' -- "$@") || status=$?
    ((status <= 1)) || return "$status"
    [[ -n $hits ]] || return 0
    while IFS=: read -r file line text; do
        echo "$file:$line: error: $text climbs out of its folder with \"../\"; name the header from the" \
            "source root (\"layer/header.h\")" >&2
    done <<<"$hits"
    return 1
}
if [[ ${1:-} == --includes ]]; then
    shift
    check_includes "$@"
    exit
fi

cd "$(dirname "$0")/.."
scripts/setup.sh
root=$PWD
# The sources are matched below this folder only: the build folders hold generated ones.
sources=^$(python3 -c 'import re, sys; print(re.escape(sys.argv[1]))' "$root")
jobs=${JOBS:-$(nproc)}

echo "clang-format: every tracked C++ file"
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror

echo "includes: none climbs out of its folder"
mapfile -d '' -t tracked < <(git ls-files -z '*.cpp' '*.h')
check_includes "${tracked[@]}"

# The compile commands: the build's, with the moc output that a test includes; the fuzz targets'
# from their clang build, configured as scripts/fuzz.sh does.
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build build-test --target velloran_tests_autogen >/dev/null
CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVELLORAN_FUZZ=ON -DVELLORAN_TESTS=OFF >/dev/null

# A source that no build compiles would go unchecked.
unbuilt=0
while IFS= read -r source; do
    if ! grep -qF "\"$root/$source\"" build-test/compile_commands.json build-fuzz/compile_commands.json; then
        echo "error: $source is in no build's compile commands" >&2
        unbuilt=1
    fi
done < <(git ls-files '*.cpp')
((unbuilt == 0))

echo "clang-tidy: $jobs at once"
log=build-test/clang-tidy.log
status=0
{
    run-clang-tidy -p build-test -j "$jobs" -quiet \
        "$sources/(framework|util|catalogue|workers|ui|app|tools|bench|tests|tests/support)/[^/]+\.cpp\$" || status=1
    run-clang-tidy -p build-fuzz -j "$jobs" -quiet "$sources/fuzz/[^/]+\.cpp\$" || status=1
} >"$log" 2>&1
# A header's findings come once from every file that includes it, under its path in build*/include/.
sed 's/\x1b\[[0-9;]*m//g' "$log" | grep -E '^/[^ ]+:[0-9]+:[0-9]+: (error|warning):' |
    sed -E "s#^$root/build[^/]*/include/([a-z]+)/\\1/#\\1/#; s#^$root/##" | sort -u || true
if ((status != 0)); then
    echo "clang-tidy failed; the whole output is in $log" >&2
    exit 1
fi
echo "clang-tidy: no findings"
