#!/usr/bin/env bash
# The Windows job: cross-builds for x64 and ARM64 with the same toolchain and build files, checks
# both modules' import tables and runs the Windows-only tests of both, x64 under wine, ARM64 under
# wine in the emulated ARM64 environment (so as root). The script tests run on both Windows
# prebuilds as packed, in scripts/package-test.sh --windows.
# Usage: scripts/windows/test.sh   (after scripts/setup.sh)
set -euo pipefail
# shellcheck source=scripts/lib/windows.sh
source "$(dirname "$0")/../lib/windows.sh"
cd "$spell_repo"

step() {
  local name=$1 started=$SECONDS
  shift
  echo "== Windows: $name"
  "$@"
  echo "== Windows: $name took $((SECONDS - started)) s"
}

step "set-up (cached in $spell_cache)" scripts/windows/setup.sh
step "x64 build" scripts/cross-build.sh windows x64
step "ARM64 build" scripts/cross-build.sh windows arm64
step "ARM64 environment (cached in $spell_cache)" scripts/windows/arm64-root.sh
step "x64 Windows-only tests under wine" ctest --test-dir build-windows-x64 --output-on-failure
step "ARM64 Windows-only tests, emulated" ctest --test-dir build-windows-arm64 --output-on-failure
"$spell_wineserver" -k 2>/dev/null || true
