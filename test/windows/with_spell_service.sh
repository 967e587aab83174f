#!/usr/bin/env bash
# Runs a Windows program under wine with the test spelling service registered as the platform's
# for that run only (scripts/windows/env.sh).
# Usage: test/windows/with_spell_service.sh SERVICE_DLL PROGRAM [ARGUMENT...]
set -euo pipefail
source "$(dirname "$0")/../../scripts/windows/env.sh"
dll=${1:?usage: with_spell_service.sh SERVICE_DLL PROGRAM [ARGUMENT...]}
shift
trap spell_unregister_test_service EXIT
spell_register_test_service "$dll"
export SPELLCHECKER_TEST_SERVICE=registered
"$spell_wine" "$@"
