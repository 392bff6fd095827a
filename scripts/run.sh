#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELLORAN_TESTS=OFF
cmake --build build --target VelloranUninstaller
exec build/VelloranUninstaller/bin/VelloranUninstaller "$@"
