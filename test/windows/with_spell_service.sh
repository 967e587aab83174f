#!/usr/bin/env bash
# Runs a Windows program under wine with the test spelling service registered as the platform's
# for that run only (scripts/lib/windows.sh); ARM64 programs under wine in the emulated ARM64
# environment (scripts/lib/windows-arm64.sh; as root).
# Usage: test/windows/with_spell_service.sh x64|arm64 SERVICE_DLL PROGRAM [ARGUMENT...]
set -euo pipefail
usage="usage: with_spell_service.sh x64|arm64 SERVICE_DLL PROGRAM [ARGUMENT...]"
# shellcheck source=scripts/lib/windows.sh
source "$(dirname "$0")/../../scripts/lib/windows.sh"
arch=${1:?$usage}
dll=${2:?$usage}
shift 2
export SPELLCHECKER_TEST_SERVICE=registered
case $arch in
  x64)
    trap spell_unregister_test_service EXIT
    spell_register_test_service "$dll"
    "$spell_wine" "$@"
    ;;
  arm64)
    # shellcheck source=scripts/lib/windows-arm64.sh
    source "$spell_repo/scripts/lib/windows-arm64.sh"
    spell_arm64_session_start
    wine=(spell_arm64_chroot "$spell_arm64_session" "$spell_arm64_wine")
    trap 'spell_unregister_test_service "${wine[@]}"; spell_arm64_cleanup' EXIT
    spell_arm64_show_dir "$spell_repo"
    spell_register_test_service "$dll" "${wine[@]}"
    program=$(realpath "$1")
    shift
    spell_arm64_run "$PWD:$spell_repo" "$program" "$@"
    ;;
  *)
    echo "$usage" >&2
    exit 2
    ;;
esac
