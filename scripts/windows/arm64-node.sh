#!/usr/bin/env bash
# Runs ARM64 node.exe under wine in the emulated ARM64 environment (built first when needed), with
# each directory of DIRS visible at its own path and the first as the working directory. Exits
# with node's status; its output is copied here once it has ended.
# Usage: scripts/windows/arm64-node.sh DIR[:DIR...] [node arguments]
set -euo pipefail
# shellcheck source=scripts/lib/windows.sh
source "$(dirname "$0")/../lib/windows.sh"
# shellcheck source=scripts/lib/windows-arm64.sh
source "$(dirname "$0")/../lib/windows-arm64.sh"
if (($# < 1)); then
  echo "usage: $0 DIR[:DIR...] [node arguments]" >&2
  exit 2
fi
spell_arm64_node "$@"
