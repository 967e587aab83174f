#!/usr/bin/env bash
# The demo: does all set-up on a fresh Debian 12 machine, builds the module, and checks a text
# with the system spell checker and with Hunspell.
# Usage: scripts/demo.sh ["text to check"]
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh >&2
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target spellchecker_module -j"$(nproc)" >&2
exec node demo/demo.js "$@"
