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
fi
cmake -S . -B "$build" -G Ninja "${options[@]}"
cmake --build "$build"
QT_QPA_PLATFORM=offscreen ctest --test-dir "$build" --output-on-failure -j"$(nproc)"
