#!/usr/bin/env bash
# Installs what Tevo needs, builds it with its tests and runs them all.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup-deps
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc)"
cd build
ctest --output-on-failure --no-label-summary -j"$(nproc)" "$@"
