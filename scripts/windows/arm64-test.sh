#!/usr/bin/env bash
# Runs the script tests under ARM64 node.exe in the emulated ARM64 environment, against an ARM64
# build of the module (scripts/windows/build.sh arm64 makes build-windows-arm64/spellchecker.node).
# Usage: scripts/windows/arm64-test.sh path/to/spellchecker.node   (as root, after scripts/setup.sh)
set -euo pipefail
source "$(dirname "$0")/env.sh"
source "$(dirname "$0")/arm64.sh"
cd "$spell_win_root"
if (($# != 1)) || [[ ! -f $1 ]]; then
  echo "usage: $0 path/to/spellchecker.node" >&2
  exit 2
fi
module=$(realpath "$1")

step() {
  local name=$1 started=$SECONDS
  shift
  echo "== Windows ARM64: $name"
  "$@"
  echo "== Windows ARM64: $name took $((SECONDS - started)) s"
}

# The tests read Debian's dictionaries as well as their own fixtures.
shown=$PWD:$(dirname "$module"):/usr/share/hunspell
arch=$(mktemp)
step "set-up (cached in $spell_cache)" spell_arm64_session_start
step "node.exe" spell_arm64_node "$shown" -p '"arch: " + process.arch' | tee "$arch"
if ! grep -qxE $'arch: arm64\r?' "$arch"; then
  echo "windows arm64 test: node.exe did not run as ARM64" >&2
  exit 1
fi
rm -f "$arch"
SPELLCHECKER_NATIVE_MODULE=$module step "loading the module" spell_arm64_node "$shown" \
  -e 'require(process.env.SPELLCHECKER_NATIVE_MODULE)'
SPELLCHECKER_NATIVE_MODULE=$module step "script tests" spell_arm64_node "$shown" \
  --test test/js/*.test.js
