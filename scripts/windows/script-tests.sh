#!/usr/bin/env bash
# Runs the script tests under wine with node.exe as the host named HOST: node.exe itself, or the
# same executable renamed (host.exe), whose Node-API the module must bind to all the same. x64
# node.exe runs under this machine's wine; with --arm64, ARM64 node.exe runs in the emulated ARM64
# environment (scripts/lib/windows-arm64.sh; as root). The module is what the caller names, as for
# the Linux runs: SPELLCHECKER_NATIVE_MODULE, or an installed package in SPELLCHECKER_TEST_PACKAGE,
# tested through its prebuild for that architecture. With --service, the system backend runs over
# the test spelling service of the build of that architecture (test/windows/spell_service),
# registered as the platform's for the run; without, there is no service and a plain construction
# falls back to Hunspell. node.exe under wine fails writing to a pipe (EBADF), so its output goes
# to a file first.
# Usage: scripts/windows/script-tests.sh [--x64|--arm64] [--service] HOST
#   (after scripts/windows/setup.sh)
set -euo pipefail
# shellcheck source=scripts/lib/windows.sh
source "$(dirname "$0")/../lib/windows.sh"
cd "$spell_repo"
arch=x64
service=
while [[ ${1:-} == --* ]]; do
  case $1 in
    --x64) arch=x64 ;;
    --arm64) arch=arm64 ;;
    --service) service=1 ;;
    *) break ;;
  esac
  shift
done
host=${1:?usage: scripts/windows/script-tests.sh [--x64|--arm64] [--service] HOST}
[[ -z $service ]] || service=$PWD/build-windows-$arch/test/windows/spell_service.dll
unset SPELLCHECKER_TEST_SERVICE

log=$(mktemp)
tasks=$(mktemp)
holder=
wine=()  # the wine that registered the service, to unregister it
cleanup() {
  rm -f "$log" "$log.lines" "$tasks"
  [[ -z $holder ]] || kill "$holder" 2>/dev/null || true
  ((${#wine[@]} == 0)) || spell_unregister_test_service "${wine[@]}"
}
trap cleanup EXIT
# Says which host, architecture and module the tests run with.
probe='console.log("host: " + require("path").basename(process.execPath) + "\narch: " +
  process.arch + "\nmodule: " + require("./test/js/support").nativeModulePath())'

run_x64() {
  local exe=$spell_node_win_dir/node.exe tries=0 status=0
  if [[ $host != node.exe ]]; then
    exe=$(spell_renamed_host "$spell_node_win_dir" "$host") || return
  fi
  # wine starts its desktop process (explorer.exe) from the first process to need a desktop and
  # hands it that process's stderr; the desktop then lasts while any process is attached to it,
  # the test runner among them. Left to the first test file, the desktop kept that file's stderr
  # pipe open and the runner waited for the pipe's end forever. Nor can the session's boot be
  # left to bring it up: node.exe never needs one, only the menu helper that wine's boot starts
  # happens to, and one run went a minute without a desktop. So a process of our own boots a fresh
  # session, runs the probe, and holds the session until the tests are done; a window made with no
  # stream of ours open then brings the desktop up, and the runner starts once it is up, its
  # stderr the log.
  "$spell_wineserver" -w || return
  "$spell_wine" "$exe" -e "$probe; setInterval(() => {}, 1 << 30);" >"$log" 2>&1 </dev/null &
  holder=$!
  # The probe's start, session boot included, takes seconds, more on a loaded machine.
  until grep -q '^module: ' "$log"; do
    if ! kill -0 "$holder" 2>/dev/null || ((++tries > 300)); then
      echo "windows test: the session's first node.exe did not start under $host" >&2
      return 1
    fi
    sleep 1
  done
  tries=0
  until "$spell_wine" rundll32.exe user32.dll,GetDesktopWindow >/dev/null 2>&1 </dev/null &&
    "$spell_wine" winedbg --command 'info proc' >"$tasks" 2>&1 </dev/null &&
    grep -q "'explorer.exe'" "$tasks"; do
    if ! kill -0 "$holder" 2>/dev/null || ((++tries > 60)); then
      echo "windows test: no wine desktop came up under $host; the session's processes:" >&2
      cat "$tasks" >&2
      return 1
    fi
    sleep 1
  done
  # Registered within the held session, which then boots as in a run without it.
  register_service "$spell_wine" || return
  "$spell_wine" "$exe" --test test/js/*.test.js >>"$log" 2>&1 </dev/null || status=$?
  kill "$holder" 2>/dev/null || true
  wait "$holder" 2>/dev/null || true
  holder=
  return "$status"
}

# There node.exe writes to files inside the root, so no desktop process holds a pipe of ours.
run_arm64() {
  # node_modules too, should it be a link out of the tree.
  local shown exe
  shown=$PWD:$(realpath node_modules):/usr/share/hunspell
  [[ -z ${SPELLCHECKER_NATIVE_MODULE:-} ]] || shown+=:$(dirname "$SPELLCHECKER_NATIVE_MODULE")
  # The installed package's node_modules holds its dependency as well.
  [[ -z ${SPELLCHECKER_TEST_PACKAGE:-} ]] || shown+=:$(dirname "$SPELLCHECKER_TEST_PACKAGE")
  # Emulated, the 64 MiB strings of hostile.test.js took 283 s of a 565 s run; 8 MiB goes down the
  # same paths (the x64 runs keep 64).
  export SPELLCHECKER_HOSTILE_MIB=${SPELLCHECKER_HOSTILE_MIB:-8}
  spell_arm64_session_start || return
  exe=$(spell_arm64_host_exe "$host") || return
  spell_arm64_show_dir "$PWD" || return
  register_service spell_arm64_chroot "$spell_arm64_session" "$spell_arm64_wine" || return
  spell_arm64_run "$shown" "$exe" -e "$probe" >"$log" 2>&1 &&
    spell_arm64_run "$shown" "$exe" --test test/js/*.test.js >>"$log" 2>&1
}

# The service's and the tests' sign (test/js/support.js) to expect the system backend.
register_service() {
  [[ -n $service ]] || return 0
  if ! spell_register_test_service "$service" "$@"; then
    echo "windows test: cannot register the test spelling service $service" >&2
    return 1
  fi
  wine=("$@")
  export SPELLCHECKER_TEST_SERVICE=registered
}

if [[ -n $service && ! -f $service ]]; then
  echo "windows test: no test spelling service at $service; run scripts/cross-build.sh windows $arch" >&2
  exit 1
fi
if [[ $arch == arm64 ]]; then
  # shellcheck source=scripts/lib/windows-arm64.sh
  source "$(dirname "$0")/../lib/windows-arm64.sh"
  trap 'cleanup; spell_arm64_cleanup' EXIT
fi
# The shell calls' recorder, built with the Windows-only tests of the same architecture.
export SPELLCHECKER_TEST_SHELL_RECORDER=$PWD/build-windows-$arch/test/windows/shell_recorder.node
if [[ ! -f $SPELLCHECKER_TEST_SHELL_RECORDER ]]; then
  echo "windows test: no $SPELLCHECKER_TEST_SHELL_RECORDER; run scripts/cross-build.sh windows $arch" >&2
  exit 1
fi
status=0
"run_$arch" || status=$?
cat "$log"
# Read from a file, not a pipe: under pipefail, grep -q leaving early fails the pipe's writer.
tr -d '\r' <"$log" >"$log.lines"
if grep -q '^wine: Unhandled' "$log"; then
  echo "windows test: a process crashed under $arch $host" >&2
  status=1
fi
if ! grep -qx "host: $host" "$log.lines" || ! grep -qx "arch: $arch" "$log.lines"; then
  echo "windows test: the tests did not run under $arch $host" >&2
  status=1
fi
# An installed package must be tested through its own prebuild for the architecture.
if [[ -n ${SPELLCHECKER_TEST_PACKAGE:-} ]] &&
  ! grep -qE "^module: .*prebuilds[\\/]win32-${arch}[\\/]" "$log.lines"; then
  echo "windows test: the tests did not load the installed package's win32-$arch prebuild" >&2
  status=1
fi
# node.exe exits 0 when a suite's own body throws; its TAP says "not ok" all the same.
if grep -q '^not ok' "$log.lines"; then
  echo "windows test: a test or suite failed under $arch $host" >&2
  status=1
fi
exit "$status"
