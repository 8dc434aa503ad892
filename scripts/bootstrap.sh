#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian machine and makes the
# Wine prefix. Safe to run again: it only acts on what is missing.
set -euo pipefail

top=$(cd "$(dirname "$0")/.." && pwd)
export DEBIAN_FRONTEND=noninteractive

packages=(
  cmake make g++ googletest libgtest-dev libbenchmark-dev
  g++-mingw-w64-i686 g++-mingw-w64-x86-64-posix mingw-w64-tools
  wine wine64 wine32:i386 wine64-tools
  xvfb xauth x11-apps imagemagick fonts-liberation
  zip unzip lz4 dpkg-dev
  clang libclang-rt-14-dev clang-format
  giflib-tools libgif-dev
  zlib1g-dev libminizip-dev libz-mingw-w64-dev
  python3-jsonschema python3-yaml osslsigncode openssl
)

as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

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

need_update=0
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  as_root dpkg --add-architecture i386
  need_update=1
fi
add_deb_src && need_update=1

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ] || [ $need_update -eq 1 ]; then
  as_root apt-get update -qq
fi
if [ ${#missing[@]} -gt 0 ]; then
  echo "bootstrap: installing ${missing[*]}"
  as_root apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# The Wine prefix lives in the build tree; made once, without the Mono and
# Gecko prompts that would otherwise wait for a click.
"$top/scripts/wineenv.sh" init
