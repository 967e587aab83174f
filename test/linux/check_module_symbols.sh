#!/usr/bin/env bash
# Checks what the Linux module needs from the machine that loads it:
#   - it is built for the named machine (x86_64 or aarch64);
#   - its load-time libraries are glibc's alone (Hunspell and the C++ runtime linked in,
#     Enchant and GIO opened at run time);
#   - no glibc symbol version newer than the stated baseline;
#   - every other undefined symbol is a host function (Node-API, libuv's mutexes);
#   - it exports nothing.
# Usage: check_module_symbols.sh <module> <glibc-baseline> [x86_64|aarch64]   (default x86_64)
set -uo pipefail
module=$1 baseline=$2 machine=${3:-x86_64}
failures=0
expect() { # condition-status description
  if [[ $1 == 0 ]]; then echo "ok: $2"; else echo "FAILED: $2"; failures=$((failures + 1)); fi
}

case $machine in
  x86_64) elf_machine='Advanced Micro Devices X86-64' loader='ld-linux-x86-64\.so\.2' ;;
  aarch64) elf_machine=AArch64 loader='ld-linux-aarch64\.so\.1' ;;
  *) echo "usage: $0 MODULE GLIBC-BASELINE [x86_64|aarch64]" >&2; exit 2 ;;
esac
found=$(readelf -h "$module" | sed -n 's/^ *Machine: *//p')
[[ $found == "$elf_machine" ]]
expect $? "built for $machine ($found)"

# Before glibc 2.34 the loader's, thread and math functions lived in libraries of their own.
mapfile -t needed < <(readelf -d "$module" | sed -n 's/.*(NEEDED).*\[\(.*\)\]$/\1/p')
glibc_libraries="^(lib(c|m|dl|pthread|rt)\.so\.[0-9]+|$loader)\$"
unexpected=$(printf '%s\n' "${needed[@]}" | grep -vE "$glibc_libraries")
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
