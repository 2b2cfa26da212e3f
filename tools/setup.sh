#!/usr/bin/env bash
# Installs, idempotently, every Debian package that the native and Windows
# builds and all test tiers need, then cross-builds the codec libraries.
# Works as root or through sudo.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git ca-certificates dpkg-dev
  zlib1g-dev libpng-dev libjpeg62-turbo-dev libtiff-dev libopenjp2-7-dev libwebp-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev libstb-dev
  libgif-dev
  clang libclang-rt-14-dev
  mingw-w64 g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix
  binutils-mingw-w64-x86-64 mingw-w64-tools libz-mingw-w64-dev
  wine64 wine64-tools libwine-dev
  xvfb x11-utils imagemagick nasm fonts-wine
  libtiff-tools libopenjp2-tools netpbm webp
  wixl msitools
)

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ "${#missing[@]}" -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

here="$(cd "$(dirname "$0")" && pwd)"
"$here/deps.sh"
