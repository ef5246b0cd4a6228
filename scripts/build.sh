#!/usr/bin/env bash
# Configures and builds one preset (default: "default") with two jobs.
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-default}"
cmake --preset "$preset" -Wno-dev >/dev/null
cmake --build --preset "$preset"
