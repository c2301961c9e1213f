#!/usr/bin/env bash
# Installs what Tevo needs, builds it and starts it with the given arguments. Without
# arguments it makes a small sample release in a temporary folder and starts Tevo on it
# with -unpack, so that the whole road shows at once.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup-deps
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
# Everything "cmake --install build" needs, so that the README's install works after this too.
cmake --build build --target tevo-install-parts -j"$(nproc)"
if [ $# -eq 0 ]; then
  sample=$(mktemp -d "${TMPDIR:-/tmp}/tevo-sample.XXXXXX")
  release=$(scripts/make-sample-release "$sample")
  echo "Sample release: $release"
  set -- "$release" -unpack
fi
exec build/tevo "$@"
