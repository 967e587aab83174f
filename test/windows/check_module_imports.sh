#!/usr/bin/env bash
# Checks the cross-built module's headers, import and export tables:
#   - it is built for the expected machine;
#   - its load-time imports are Windows system DLLs only (runtime libraries linked statically),
#     and none of them is a host function;
#   - it has exactly one delay-load import descriptor, naming "node.exe", whose functions are
#     Node-API's and libuv's four mutex functions, napi_module_register among them;
#   - SHELL32's object-properties function is imported by ordinal 178, not by name;
#   - it exports nothing.
# Usage: check_module_imports.sh <llvm-readobj> <AMD64|ARM64> <module>
set -uo pipefail
readobj=$1 machine=$2 module=$3
failures=0
expect() { # condition-status description
  if [[ $1 == 0 ]]; then echo "ok: $2"; else echo "FAILED: $2"; failures=$((failures + 1)); fi
}

if ! dump=$("$readobj" --file-headers --coff-imports --coff-exports "$module"); then
  echo "FAILED: $readobj cannot read $module"
  exit 1
fi

found=$(sed -n 's/^ *Machine: IMAGE_FILE_MACHINE_\([A-Z0-9]*\).*/\1/p' <<<"$dump" | head -n1)
[[ $found == "$machine" ]]
expect $? "machine is $machine (found ${found:-none})"

# One line per imported function: <kind> <dll> <Symbol|Ordinal> <name or number>.
imports=$(awk '
  /^Import \{/ { kind = "load" } /^DelayImport \{/ { kind = "delay" }
  /^(Delay)?Import \{/ { dll = ""; next }
  /^  Name: / && kind != "" && dll == "" { dll = $2; print kind, dll, "-", "-"; next }
  # By name: "Symbol: <name> (<hint>)"; by ordinal: "Symbol:  (<ordinal>)".
  /^ +Symbol: +\(/ && kind != "" { gsub(/[()]/, "", $2); print kind, dll, "Ordinal", $2; next }
  /^ +Symbol: / && kind != "" { print kind, dll, "Symbol", $2 }
  /^\}/ { if (substr($0, 1, 1) == "}") kind = "" }' <<<"$dump")

mapfile -t dlls < <(awk '$1 == "load" && $3 == "-" {print $2}' <<<"$imports")
unexpected=$(printf '%s\n' "${dlls[@]}" |
  grep -viE '^(kernel32|msvcrt|ole32|oleaut32|shell32|user32|advapi32|ntdll|api-ms-win-[a-z0-9-]+)\.dll$' || true)
[[ ${#dlls[@]} -gt 0 && -z $unexpected ]]
expect $? "load-time imports are system DLLs only (${dlls[*]})${unexpected:+; not: $unexpected}"

host_at_load=$(awk '$1 == "load" && $3 == "Symbol" && $4 ~ /^(napi_|node_api_|uv_)/ {print $4}' \
  <<<"$imports")
[[ -z $host_at_load ]]
expect $? "no host function is imported at load time${host_at_load:+ (found: $host_at_load)}"

mapfile -t delayed < <(awk '$1 == "delay" && $3 == "-" {print $2}' <<<"$imports")
[[ ${#delayed[@]} -eq 1 && ${delayed[0]:-} == node.exe ]]
expect $? "exactly one delay-loaded library, \"node.exe\" (found: ${delayed[*]})"

delayed_functions=$(awk '$1 == "delay" && $3 != "-" {print $4}' <<<"$imports")
not_host=$(grep -vE '^(napi_[a-z_0-9]+|node_api_[a-z_0-9]+|uv_mutex_(init|destroy|lock|unlock))$' \
  <<<"$delayed_functions" || true)
grep -qx napi_module_register <<<"$delayed_functions" && [[ -z $not_host ]]
expect $? "the delay-loaded functions ($(grep -c . <<<"$delayed_functions")) are Node-API's and libuv's mutexes, napi_module_register among them${not_host:+; not: $not_host}"

shell32=$(awk 'tolower($2) == "shell32.dll" && $3 != "-"' <<<"$imports")
grep -qE '^load \S+ Ordinal 178$' <<<"$shell32"
expect $? "SHELL32 ordinal 178 is imported by ordinal"
! grep -q 'ObjectProperties' <<<"$shell32"
expect $? "no object-properties function is imported from SHELL32 by name"

exports=$(grep -c '^Export {' <<<"$dump")
[[ $exports -eq 0 ]]
expect $? "the module exports nothing (found $exports)"

echo "$failures check(s) failed"
((failures == 0))
