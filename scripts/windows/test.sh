#!/usr/bin/env bash
# The Windows job: cross-builds for x64 and ARM64 with the same toolchain and build files, checks
# both modules' import tables, then under wine runs the Windows-only tests and the script tests
# against the x64 module. The script tests run twice: under node.exe, and under the same
# executable renamed host.exe, whose Node-API the module must bind to all the same.
# node.exe under wine fails writing to a pipe (EBADF), so its output goes to a file first.
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

# A renamed host sits in a directory of its own: were the module to ask the loader for node.exe,
# none would be found there.
run_script_tests() {
  local host=$1 exe=$spell_node_win_dir/node.exe
  if [[ $host != node.exe ]]; then
    local dir=$spell_node_win_dir-as-${host%.exe}
    mkdir -p "$dir"
    [[ -f $dir/$host ]] || cp "$exe" "$dir/$host"
    exe=$dir/$host
  fi
  local log status=0
  log=$(mktemp)
  {
    "$spell_wine" "$exe" -p '"host: " + require("path").basename(process.execPath)' &&
      SPELLCHECKER_NATIVE_MODULE=$PWD/build-windows-x64/spellchecker.node \
        "$spell_wine" "$exe" --test test/js/*.test.js
  } >"$log" 2>&1 </dev/null || status=$?
  cat "$log"
  if grep -q '^wine: Unhandled' "$log"; then
    echo "windows test: a process crashed under $host" >&2
    status=1
  fi
  if ! tr -d '\r' <"$log" | grep -qx "host: $host"; then
    echo "windows test: the tests did not run under $host" >&2
    status=1
  fi
  # node.exe exits 0 when a suite's own body throws; its TAP says "not ok" all the same.
  if tr -d '\r' <"$log" | grep -q '^not ok'; then
    echo "windows test: a test or suite failed under $host" >&2
    status=1
  fi
  rm -f "$log"
  return "$status"
}

step "set-up (cached in $spell_cache)" scripts/windows/setup.sh
step "x64 build" scripts/windows/build.sh x64
step "ARM64 build" scripts/windows/build.sh arm64
# No emulator for ARM64 here: its ctest has the import-table check alone.
step "ARM64 module's import table" ctest --test-dir build-windows-arm64 --output-on-failure
step "Windows-only tests under wine" ctest --test-dir build-windows-x64 --output-on-failure
step "script tests under wine, as node.exe" run_script_tests node.exe
step "script tests under wine, as host.exe" run_script_tests host.exe
"$spell_wineserver" -k 2>/dev/null || true
