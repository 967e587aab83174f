#!/usr/bin/env bash
# The Windows job: cross-builds for x64 and ARM64 with the same toolchain and build files, checks
# both modules' import tables, then under wine runs the Windows-only tests and the script tests
# against the x64 module. The script tests run twice: under node.exe with the test spelling
# service registered as the platform's (the system backend over COM), and under the same
# executable renamed host.exe, whose Node-API the module must bind to all the same, with no
# service (plain constructions fall back to Hunspell).
# Usage: scripts/windows/test.sh   (after scripts/setup.sh)
set -euo pipefail
source "$(dirname "$0")/env.sh"
cd "$spell_win_root"

step() {
  local name=$1 started=$SECONDS
  shift
  echo "== Windows: $name"
  "$@"
  echo "== Windows: $name took $((SECONDS - started)) s"
}

step "set-up (cached in $spell_cache)" scripts/windows/setup.sh
step "x64 build" scripts/windows/build.sh x64
step "ARM64 build" scripts/windows/build.sh arm64
# No emulator for ARM64 here: its ctest has the import-table check alone.
step "ARM64 module's import table" ctest --test-dir build-windows-arm64 --output-on-failure
step "Windows-only tests under wine" ctest --test-dir build-windows-x64 --output-on-failure
export SPELLCHECKER_NATIVE_MODULE=$PWD/build-windows-x64/spellchecker.node
SPELLCHECKER_TEST_SERVICE_DLL=$PWD/build-windows-x64/test/windows/spell_service.dll \
  step "script tests under wine, as node.exe, over the test spelling service" \
  scripts/windows/script-tests.sh node.exe
step "script tests under wine, as host.exe, with no spelling service" \
  scripts/windows/script-tests.sh host.exe
"$spell_wineserver" -k 2>/dev/null || true
