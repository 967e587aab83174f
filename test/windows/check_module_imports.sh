#!/usr/bin/env bash
# Checks the cross-built module's import and export tables:
#   - its load-time imports are Windows system DLLs only (runtime libraries linked statically);
#   - it has exactly one delay-load import descriptor, naming "node.exe";
#   - SHELL32's object-properties function is imported by ordinal 178, not by name;
#   - it exports nothing.
# Usage: check_module_imports.sh <objdump> <nm> <module>
set -uo pipefail
objdump=$1 nm=$2 module=$3
failures=0
expect() { # condition-status description
  if [[ $1 == 0 ]]; then echo "ok: $2"; else echo "FAILED: $2"; failures=$((failures + 1)); fi
}

headers=$("$objdump" -p "$module")

mapfile -t dlls < <(sed -n 's/^\tDLL Name: //p' <<<"$headers")
unexpected=$(printf '%s\n' "${dlls[@]}" |
  grep -viE '^(kernel32|msvcrt|ole32|oleaut32|shell32|user32|advapi32|api-ms-win-[a-z0-9-]+)\.dll$' || true)
[[ ${#dlls[@]} -gt 0 && -z $unexpected ]]
expect $? "load-time imports are system DLLs only (${dlls[*]})${unexpected:+; not: $unexpected}"

shell32=$(awk '/^\tDLL Name: /{in_dll = ($3 ~ /^(SHELL32|shell32)\.dll$/)} in_dll' <<<"$headers")
grep -qE '^\s+80*b2\s+0*b2\s+<none>' <<<"$shell32"
expect $? "SHELL32 ordinal 178 is imported by ordinal"
! grep -q 'ObjectProperties' <<<"$shell32"
expect $? "no object-properties function is imported from SHELL32 by name"

exports=$(sed -n 's/^\tExport Address Table \t\t\(0*[0-9a-f]*\)$/\1/p' <<<"$headers" | head -n1)
[[ -z $exports || $((16#$exports)) -eq 0 ]]
expect $? "the module exports nothing"

# GNU ld leaves the delay-import data directory empty, so the descriptors are found by symbol.
mapfile -t descriptors < <("$nm" "$module" | awk '$3 ~ /^__DELAY_IMPORT_DESCRIPTOR_/ {print $1}')
[[ ${#descriptors[@]} -eq 1 ]]
expect $? "exactly one delay-load import descriptor (found ${#descriptors[@]})"
if [[ ${#descriptors[@]} -eq 1 ]]; then
  image_base=$(sed -n 's/^ImageBase\s\+\([0-9a-f]\+\)$/\1/p' <<<"$headers")
  # The descriptor's second 32-bit field is the RVA of the DLL's name.
  start=$((16#${descriptors[0]}))
  bytes=$("$objdump" -s --start-address=$((start + 4)) --stop-address=$((start + 8)) "$module" |
    awk '/^ [0-9a-f]+ / {print $2}' | tail -n1)
  rva=$((16#${bytes:6:2}${bytes:4:2}${bytes:2:2}${bytes:0:2}))
  name_at=$((16#$image_base + rva))
  hex=$("$objdump" -s --start-address=$name_at --stop-address=$((name_at + 32)) "$module" |
    awk '/^ [0-9a-f]+ / {for (i = 2; i <= 5; i++) printf "%s", $i}')
  name=""
  for ((i = 0; i < ${#hex}; i += 2)); do
    [[ ${hex:i:2} == 00 ]] && break
    name+=$(printf "\\x${hex:i:2}")
  done
  [[ $name == node.exe ]]
  expect $? "the delay-loaded library is \"node.exe\" (found \"$name\")"
fi

echo "$failures check(s) failed"
((failures == 0))
