#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test headless.
# With SANITIZE=1 the build uses the address and undefined-behaviour sanitizers.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
build=build-test
options=(-DCMAKE_BUILD_TYPE=Debug)
if [[ ${SANITIZE:-0} == 1 ]]; then
    build=build-sanitize
    options+=(-DVELLORAN_SANITIZE=ON)
    # Also catch uses of a returned function's locals and of globals before their initialisation.
    export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1}
    export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}
    export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$PWD/scripts/lsan.supp:print_suppressions=0}
    # GLib's slice allocator would hide a GIO object or error that the program never frees inside its
    # own chunks; with malloc the leak checker sees them.
    export G_SLICE=always-malloc
fi
cmake -S . -B "$build" -G Ninja "${options[@]}"
cmake --build "$build"
QT_QPA_PLATFORM=offscreen ctest --test-dir "$build" --output-on-failure -j"$(nproc)"
