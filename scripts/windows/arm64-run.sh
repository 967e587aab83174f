#!/usr/bin/env bash
# Runs a Windows ARM64 program under wine in the emulated ARM64 environment (built first when
# needed), from the current directory, with the repository visible at its own path: the ARM64
# build's CTest emulator. Exits with the program's status. Run as root.
# Usage: scripts/windows/arm64-run.sh PROGRAM [ARGS]
set -euo pipefail
# shellcheck source=scripts/lib/windows.sh
source "$(dirname "$0")/../lib/windows.sh"
# shellcheck source=scripts/lib/windows-arm64.sh
source "$(dirname "$0")/../lib/windows-arm64.sh"
if (($# < 1)); then
  echo "usage: $0 PROGRAM [ARGS]" >&2
  exit 2
fi
program=$(realpath "$1")
shift
spell_arm64_run "$PWD:$spell_repo" "$program" "$@"
