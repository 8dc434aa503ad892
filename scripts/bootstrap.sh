#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian machine and makes the
# Wine prefix. Safe to run again: it only acts on what is missing.
# A package index that fails to download is only a warning; the run fails
# only when a package it needs cannot be installed, and names it.
set -euo pipefail

top=$(cd "$(dirname "$0")/.." && pwd)
export DEBIAN_FRONTEND=noninteractive

packages=(
  cmake make g++ googletest libgtest-dev libbenchmark-dev
  g++-mingw-w64-i686 g++-mingw-w64-x86-64-posix mingw-w64-tools
  wine wine64 wine64-tools
  xvfb xauth x11-apps imagemagick fonts-liberation fonts-wqy-microhei
  zip unzip lz4 dpkg-dev
  clang libclang-rt-14-dev clang-format
  giflib-tools libgif-dev
  zlib1g-dev libz-mingw-w64-dev
  python3-jsonschema python3-yaml osslsigncode openssl nsis
)

as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

# Some kernels cannot start 32-bit programs at all; there 32-bit Wine is of
# no use (and the i386 index need not be fetched). The probe is the smallest
# i386 Linux program, which only exits with code 0.
runs_32bit() {
  local probe
  probe=$(mktemp)
  base64 -d >"$probe" <<'EOF'
f0VMRgEBAQAAAAAAAAAAAAIAAwABAAAAVIAECDQAAAAAAAAAAAAAADQAIAABAAAAAAAAAAEAAAAA
AAAAAIAECACABAhdAAAAXQAAAAUAAAAAEAAAMdu4AQAAAM2A
EOF
  chmod +x "$probe"
  local rc=0
  "$probe" 2>/dev/null || rc=$?
  rm -f "$probe"
  return $rc
}

# Debian's own source list, turned into a source-package list, so that
# 'apt-get source' works. No address is written here: it is copied.
add_deb_src() {
  if grep -rqsE '^(deb-src|Types:.*deb-src)' /etc/apt/sources.list /etc/apt/sources.list.d/; then
    return 1
  fi
  local changed=1
  if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    sed -E 's/^Types:[[:space:]]*deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources |
      as_root tee /etc/apt/sources.list.d/debian-src.sources >/dev/null
    changed=0
  fi
  if grep -qsE '^deb ' /etc/apt/sources.list; then
    grep -E '^deb ' /etc/apt/sources.list | sed -E 's/^deb /deb-src /' |
      as_root tee /etc/apt/sources.list.d/debian-src.list >/dev/null
    changed=0
  fi
  return $changed
}

# An index that cannot be fetched now (a mirror in sync, say) may not be one
# the install needs: warn, try once more, and let the install decide.
update_indexes() {
  as_root apt-get update -qq && return 0
  echo "bootstrap: warning: some package indexes failed to download; trying once more" >&2
  sleep 5
  as_root apt-get update -qq && return 0
  echo "bootstrap: warning: going on with the indexes that did download" >&2
}

# 32-bit Wine runs the shipped 32-bit program; without it the tests run the
# 64-bit build (scripts/wintree.sh), so it is wanted, not needed.
# A wanted package that could not be installed is tried again after twelve hours,
# not at every run.
wanted=()
unavailable="$top/build/.wine32-unavailable"
need_update=0
if ! runs_32bit; then
  echo "bootstrap: this kernel cannot start 32-bit programs: 64-bit Wine only"
elif [ -z "$(find "$unavailable" -mmin -720 2>/dev/null)" ]; then
  wanted+=(wine32:i386)
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    as_root dpkg --add-architecture i386
    need_update=1
  fi
fi
add_deb_src && need_update=1

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }
missing=()
for p in "${packages[@]}" "${wanted[@]}"; do installed "$p" || missing+=("$p"); done
if [ ${#missing[@]} -gt 0 ] || [ $need_update -eq 1 ]; then
  update_indexes
fi
if [ ${#missing[@]} -gt 0 ]; then
  echo "bootstrap: installing ${missing[*]}"
  if ! as_root apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null; then
    # Name what cannot be installed, one package at a time.
    failed=()
    for p in "${missing[@]}"; do
      installed "$p" && continue
      as_root apt-get install -y -qq --no-install-recommends "$p" >/dev/null 2>&1 && continue
      if [[ " ${wanted[*]} " == *" $p "* ]]; then
        echo "bootstrap: warning: cannot install $p; the tests use 64-bit Wine" >&2
        mkdir -p "$top/build" && touch "$unavailable"
      else
        failed+=("$p")
      fi
    done
    if [ ${#failed[@]} -gt 0 ]; then
      echo "bootstrap: error: cannot install ${failed[*]}" >&2
      exit 1
    fi
  fi
fi

# The Wine prefix lives in the build tree; made once, without the Mono and
# Gecko prompts that would otherwise wait for a click.
"$top/scripts/wineenv.sh" init
