#!/usr/bin/env bash
# Runs the script tests under wine with x64 node.exe as the host named HOST: node.exe itself, or
# the same executable renamed (host.exe), whose Node-API the module must bind to all the same. The
# module is what the caller names, as for the Linux runs: SPELLCHECKER_NATIVE_MODULE, or an
# installed package in SPELLCHECKER_TEST_PACKAGE. node.exe under wine fails writing to a pipe
# (EBADF), so its output goes to a file first. With SPELLCHECKER_TEST_SERVICE_DLL the system
# backend runs over the test spelling service, registered for the run; without, over none.
# Usage: scripts/windows/script-tests.sh HOST   (after scripts/windows/setup.sh)
set -euo pipefail
source "$(dirname "$0")/env.sh"
cd "$spell_win_root"
host=${1:?usage: scripts/windows/script-tests.sh HOST}

# A renamed host sits in a directory of its own: were the module to ask the loader for node.exe,
# none would be found there.
exe=$spell_node_win_dir/node.exe
if [[ $host != node.exe ]]; then
  dir=$spell_node_win_dir-as-${host%.exe}
  mkdir -p "$dir"
  [[ -f $dir/$host ]] || cp "$exe" "$dir/$host"
  exe=$dir/$host
fi
log=$(mktemp)
tasks=$(mktemp)
holder=
# With SPELLCHECKER_TEST_SERVICE_DLL naming the test spelling service, the run registers it as
# the platform's (env.sh) and unregisters it at the end. It serves only processes that ask for
# it in their environment, so a run without it falls back to Hunspell even while another run of
# the same prefix has it registered.
service_dll=${SPELLCHECKER_TEST_SERVICE_DLL:-}
cleanup() {
  rm -f "$log" "$log.lines" "$tasks"
  [[ -z $holder ]] || kill "$holder" 2>/dev/null || true
  [[ -z $service_dll ]] || spell_unregister_test_service
}
trap cleanup EXIT
status=0
unset SPELLCHECKER_TEST_SERVICE
if [[ -n $service_dll && ! -f $service_dll ]]; then
  echo "windows test: no test spelling service at $service_dll" >&2
  exit 1
fi
# wine starts its desktop process (explorer.exe) from the first process to need a desktop and
# hands it that process's stderr; the desktop then lasts while any process is attached to it,
# the test runner among them. Left to the first test file, the desktop kept that file's stderr
# pipe open and the runner waited for the pipe's end forever. So a process of our own boots a
# fresh session, says which host and module it runs with, and holds the session until the tests
# are done; the runner starts once that session's desktop is up, its stderr the log.
"$spell_wineserver" -w
"$spell_wine" "$exe" -e 'console.log("host: " + require("path").basename(process.execPath) +
  "\nmodule: " + require("./test/js/support").nativeModulePath());
  setInterval(() => {}, 1 << 30);' >"$log" 2>&1 </dev/null &
holder=$!
tries=0
until grep -q '^module: ' "$log" &&
  "$spell_wine" winedbg --command 'info proc' >"$tasks" 2>&1 </dev/null &&
  grep -q "'explorer.exe'" "$tasks"; do
  if ! kill -0 "$holder" 2>/dev/null || ((++tries > 60)); then
    echo "windows test: no wine desktop came up under $host" >&2
    status=1
    break
  fi
  sleep 1
done
# Registered within the held session, which then boots as in a run without it.
if ((status == 0)) && [[ -n $service_dll ]]; then
  if spell_register_test_service "$service_dll"; then
    # The service's and the tests' sign (test/js/support.js) to expect the system backend.
    export SPELLCHECKER_TEST_SERVICE=registered
  else
    echo "windows test: cannot register the test spelling service $service_dll" >&2
    status=1
  fi
fi
if ((status == 0)); then
  "$spell_wine" "$exe" --test test/js/*.test.js >>"$log" 2>&1 </dev/null || status=$?
fi
kill "$holder" 2>/dev/null || true
wait "$holder" 2>/dev/null || true
holder=
cat "$log"
# Read from a file, not a pipe: under pipefail, grep -q leaving early fails the pipe's writer.
tr -d '\r' <"$log" >"$log.lines"
if grep -q '^wine: Unhandled' "$log"; then
  echo "windows test: a process crashed under $host" >&2
  status=1
fi
if ! grep -qx "host: $host" "$log.lines"; then
  echo "windows test: the tests did not run under $host" >&2
  status=1
fi
# An installed package must be tested through its own x64 prebuild.
if [[ -n ${SPELLCHECKER_TEST_PACKAGE:-} ]] &&
  ! grep -qE '^module: .*prebuilds[\/]win32-x64[\/]' "$log.lines"; then
  echo "windows test: the tests did not load the installed package's win32-x64 prebuild" >&2
  status=1
fi
# node.exe exits 0 when a suite's own body throws; its TAP says "not ok" all the same.
if grep -q '^not ok' "$log.lines"; then
  echo "windows test: a test or suite failed under $host" >&2
  status=1
fi
exit "$status"
