#!/usr/bin/env bash
# Runs a `node --test` command and fails when it reports any failure, even where Node.js exits 0:
# Node.js 22 ends with status 0 when a suite's own body throws (TAP "not ok", yet "# fail 0").
# Usage: scripts/run-node-tests.sh COMMAND...   (e.g. node --test test/js/*.test.js)
set -uo pipefail
log=$(mktemp)
trap 'rm -f "$log"' EXIT
"$@" 2>&1 | tee "$log"
status=${PIPESTATUS[0]}
if ((status == 0)) && grep -q '^not ok' "$log"; then
  echo "node tests: a test or suite failed although the run exited 0" >&2
  status=1
fi
exit "$status"
