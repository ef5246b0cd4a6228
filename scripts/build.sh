#!/usr/bin/env bash
# Configures and builds one preset (default: "default") with two jobs: every target, or
# only the targets named after the preset.
#
#   scripts/build.sh [PRESET [TARGET...]]
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-default}"
shift || true
# ccache, where installed, keeps objects across build folders and clones (a CI run
# after a developer's build of the same sources compiles almost nothing).
if command -v ccache >/dev/null; then
    export CMAKE_C_COMPILER_LAUNCHER=ccache CMAKE_CXX_COMPILER_LAUNCHER=ccache
    export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
fi
cmake --preset "$preset" -Wno-dev >/dev/null
targets=()
for target in "$@"; do targets+=(--target "$target"); done
cmake --build --preset "$preset" "${targets[@]}"
