#!/usr/bin/env bash
# Checks what the Linux module needs from the machine that loads it:
#   - its load-time libraries are glibc's alone (Hunspell and the C++ runtime linked in,
#     Enchant and GIO opened at run time);
#   - no glibc symbol version newer than the stated baseline;
#   - every other undefined symbol is a host function (Node-API, libuv's mutexes);
#   - it exports nothing.
# Usage: check_module_symbols.sh <module> <glibc-baseline>
set -uo pipefail
module=$1 baseline=$2
failures=0
expect() { # condition-status description
  if [[ $1 == 0 ]]; then echo "ok: $2"; else echo "FAILED: $2"; failures=$((failures + 1)); fi
}

mapfile -t needed < <(readelf -d "$module" | sed -n 's/.*(NEEDED).*\[\(.*\)\]$/\1/p')
unexpected=$(printf '%s\n' "${needed[@]}" | grep -vE '^(libc\.so\.6|ld-linux-x86-64\.so\.2)$')
[[ ${#needed[@]} -gt 0 && -z $unexpected ]]
expect $? "load-time libraries are glibc's only (${needed[*]})${unexpected:+; not: $unexpected}"

symbols=$(objdump -T "$module")
newest=$(grep -oE 'GLIBC_[0-9]+(\.[0-9]+)+' <<<"$symbols" | sed 's/^GLIBC_//' | sort -Vu | tail -n1)
[[ -n $newest && $(printf '%s\n' "$newest" "$baseline" | sort -V | tail -n1) == "$baseline" ]]
expect $? "newest glibc version needed is $newest, the baseline $baseline at most"

# Undefined symbols without a version are the host's; weak ones are optional by definition.
host=$(nm -D --undefined-only "$module" | awk '$1 == "U" && $2 !~ /@/ { print $2 }')
unexpected=$(grep -vE '^(napi_[a-z0-9_]+|uv_mutex_(init|destroy|lock|unlock))$' <<<"$host")
[[ -n $host && -z $unexpected ]]
expect $? "the other undefined symbols are host functions${unexpected:+; not: $(echo $unexpected)}"

exported=$(nm -D --defined-only "$module")
[[ -z $exported ]]
expect $? "no symbol is exported${exported:+: $(echo $exported | head -c 200)}"

((failures == 0))
