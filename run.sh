#!/usr/bin/env bash
# Installs what Tevo needs, builds it and starts it with the given arguments.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup-deps
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build --target tevo -j"$(nproc)"
exec build/tevo "$@"
