#!/usr/bin/env bash
# Cross-builds the codec libraries (zlib comes from libz-mingw-w64-dev;
# libpng, libjpeg-turbo, libtiff, OpenJPEG, libwebp and GoogleTest are built
# here) as
# static x86_64-w64-mingw32 libraries into a prefix outside the clone, the
# one cmake/mingw-w64.cmake looks in:
#   $QLRY_DEPS_PREFIX, else $XDG_CACHE_HOME/quillory/mingw-prefix,
#   else $HOME/.cache/quillory/mingw-prefix.
# Sources, build trees and logs live beside it in the quillory cache
# directory. Each library is rebuilt only when its cmake command line, the
# toolchain file or a library it depends on changed; a second run is a no-op.
#
# Run it as root, as a normal user (the apt steps then go through sudo), or
# through sudo (it then builds in the invoking user's cache, as that user).
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
script="$here/$(basename "${BASH_SOURCE[0]}")"
toolchain="$(cd "$here/../cmake" && pwd)/mingw-w64.cmake"

# Started through sudo by a normal user: build in that user's cache, as that
# user, so that their own `cmake --preset windows` finds the prefix.
if [ "$(id -u)" -eq 0 ] && [ -n "${SUDO_USER:-}" ] && [ "$SUDO_USER" != root ]; then
  env_args=()
  for v in QLRY_DEPS_PREFIX XDG_CACHE_HOME; do
    if [ -n "${!v:-}" ]; then env_args+=("$v=${!v}"); fi
  done
  exec sudo -u "$SUDO_USER" -H env "${env_args[@]}" PATH="$PATH" bash "$script" "$@"
fi

# Only the temporary deb-src entry needs root.
as_root=()
if [ "$(id -u)" -ne 0 ]; then as_root=(sudo); fi

cache_dir="${XDG_CACHE_HOME:-$HOME/.cache}/quillory"
prefix="${QLRY_DEPS_PREFIX:-$cache_dir/mingw-prefix}"
src_dir="$cache_dir/src"
build_root="$cache_dir/build"
log_dir="$cache_dir/logs"
stamp_dir="$prefix/.qlry-stamps"
jobs=2

mkdir -p "$cache_dir" "$src_dir" "$build_root" "$log_dir" "$prefix" "$stamp_dir"

# One run at a time per cache (setup.sh and a manual run may overlap).
exec 9>"$cache_dir/deps.lock"
flock 9

for tool in cmake ninja x86_64-w64-mingw32-gcc-posix x86_64-w64-mingw32-g++-posix nasm; do
  if ! command -v "$tool" >/dev/null; then
    echo "deps: $tool is missing; run tools/setup.sh" >&2
    exit 1
  fi
done
zlib_a=/usr/x86_64-w64-mingw32/lib/libz.a
if [ ! -f "$zlib_a" ]; then
  echo "deps: $zlib_a is missing (package libz-mingw-w64-dev); run tools/setup.sh" >&2
  exit 1
fi
gtest_src=/usr/src/googletest
if [ ! -f "$gtest_src/CMakeLists.txt" ]; then
  echo "deps: $gtest_src is missing (package googletest); run tools/setup.sh" >&2
  exit 1
fi

# ---------------------------------------------------------------------------
# Sources: Debian's source packages, fetched once into $src_dir.
# Each package's extracted tree is recorded in $src_dir/<package>.dir.

source_packages=(libpng1.6 libjpeg-turbo tiff openjpeg2 libwebp)
declare -A series=([libpng1.6]=1.6. [libjpeg-turbo]=2.1. [tiff]=4.5. [openjpeg2]=2.5. [libwebp]=1.2.)

src_list=/etc/apt/sources.list.d/quillory-deb-src.sources
archive=http://deb.debian.org/debian

remove_src_list() {
  if [ -e "$src_list" ]; then "${as_root[@]}" rm -f "$src_list"; fi
}

# The Signed-By value the system's own entry for this archive and suite uses
# (apt refuses two entries for one suite whose Signed-By values differ).
system_signed_by() {
  local suite="$1" entry file index
  entry="$(apt-get indextargets --format '$(SOURCESENTRY)' \
    "Repo-URI: $archive/" "Release: $suite" 2>/dev/null | sort -u | head -n1)"
  [ -n "$entry" ] || return 0
  file="${entry%:*}"
  index="${entry##*:}"
  [ -r "$file" ] || return 0
  case "$file" in
    *.sources)
      # Stanza number $index; print the field with its continuation lines.
      awk -v want="$index" '
        BEGIN { stanza = 0; blank = 1 }
        /^[[:space:]]*#/ { next }
        /^[[:space:]]*$/ { blank = 1; infield = 0; next }
        { if (blank) { stanza++; blank = 0 } }
        stanza != want { next }
        infield && /^[[:space:]]/ { print; next }
        { infield = 0 }
        tolower($0) ~ /^signed-by:/ { sub(/^[^:]*:[[:space:]]*/, ""); print; infield = 1 }
      ' "$file"
      ;;
    *)
      sed -n "${index}p" "$file" | sed -n 's/.*signed-by=\([^] ]*\).*/\1/p'
      ;;
  esac
}

write_src_list() {
  local tmp suite signed
  tmp="$(mktemp)"
  for suite in bookworm bookworm-updates; do
    signed="$(system_signed_by "$suite")"
    {
      echo "Types: deb-src"
      echo "URIs: $archive"
      echo "Suites: $suite"
      echo "Components: main"
      if [ -n "$signed" ]; then
        printf 'Signed-By: %s\n' "$signed"
      fi
      echo
    } >>"$tmp"
  done
  if ! "${as_root[@]}" install -m 644 "$tmp" "$src_list"; then
    rm -f "$tmp"
    echo "deps: could not write $src_list" >&2
    exit 1
  fi
  rm -f "$tmp"
}

fetch_sources() {
  local missing=() pkg dir fetch_dir log="$log_dir/sources.log"
  for pkg in "${source_packages[@]}"; do
    if [ -f "$src_dir/$pkg.dir" ] && dir="$(cat "$src_dir/$pkg.dir")" \
        && [ -f "$src_dir/$dir/CMakeLists.txt" ]; then
      continue
    fi
    missing+=("$pkg")
  done
  [ "${#missing[@]}" -gt 0 ] || return 0

  echo "deps: fetching Debian sources: ${missing[*]}"
  if [ "${#as_root[@]}" -gt 0 ] && ! command -v sudo >/dev/null; then
    echo "deps: adding a deb-src entry needs root, and sudo is missing" >&2
    exit 1
  fi
  : >"$log"
  trap remove_src_list EXIT
  trap 'remove_src_list; exit 130' INT TERM HUP
  write_src_list
  if ! "${as_root[@]}" apt-get update -o Dir::Etc::SourceList="$src_list" \
      -o Dir::Etc::SourceParts=- -o APT::Get::List-Cleanup=0 >>"$log" 2>&1; then
    remove_src_list
    echo "deps: apt-get update of the deb-src entry failed, see $log" >&2
    exit 1
  fi
  for pkg in "${missing[@]}"; do
    fetch_dir="$(mktemp -d "$src_dir/.fetch-$pkg.XXXXXX")"
    if ! (cd "$fetch_dir" && apt-get source -o APT::Sandbox::User=root \
        --only-source "$pkg") >>"$log" 2>&1; then
      remove_src_list
      rm -rf "$fetch_dir"
      echo "deps: apt-get source $pkg failed, see $log" >&2
      exit 1
    fi
    dir="$(find "$fetch_dir" -mindepth 1 -maxdepth 1 -type d -name "$pkg-*" -printf '%f\n' | head -n1)"
    if [ -z "$dir" ] || [ ! -f "$fetch_dir/$dir/CMakeLists.txt" ]; then
      remove_src_list
      echo "deps: apt-get source $pkg gave no source tree with CMakeLists.txt, see $log" >&2
      exit 1
    fi
    rm -rf "${src_dir:?}/$dir"
    mv "$fetch_dir/$dir" "$src_dir/$dir"
    rm -rf "$fetch_dir"
    echo "$dir" >"$src_dir/$pkg.dir"
  done
  remove_src_list
  trap - EXIT INT TERM HUP
}

fetch_sources

declare -A src_of
for pkg in "${source_packages[@]}"; do
  dir="$(cat "$src_dir/$pkg.dir")"
  version="${dir#"$pkg"-}"
  case "$version" in
    "${series[$pkg]}"*) ;;
    *)
      echo "deps: $pkg is $version; expected the ${series[$pkg]}x series" >&2
      exit 1
      ;;
  esac
  src_of[$pkg]="$src_dir/$dir"
done

# ---------------------------------------------------------------------------
# Builds.

# The libraries are configured with a copy of the toolchain file kept in the
# cache, so that a clone in another folder finds its stamps valid.
mkdir -p "$cache_dir/toolchain"
cmp -s "$toolchain" "$cache_dir/toolchain/mingw-w64.cmake" || cp "$toolchain" "$cache_dir/toolchain/mingw-w64.cmake"
toolchain="$cache_dir/toolchain/mingw-w64.cmake"
toolchain_sum="$(sha256sum "$toolchain" | cut -d' ' -f1)"
zlib_sum="$(dpkg-query -W -f='${Version}' libz-mingw-w64-dev 2>/dev/null || sha256sum "$zlib_a" | cut -d' ' -f1)"
gtest_version="$(dpkg-query -W -f='${Version}' googletest 2>/dev/null || echo unknown)"

common_flags=(
  -G Ninja
  "-DCMAKE_TOOLCHAIN_FILE=$toolchain"
  "-DCMAKE_INSTALL_PREFIX=$prefix"
  -DCMAKE_BUILD_TYPE=Release
)
export QLRY_DEPS_PREFIX="$prefix"

# build NAME SOURCE_DIR EXTRA_KEY [cmake flags...]
# Configures, builds and installs one library unless its stamp matches: the
# full cmake command line, the toolchain file's hash, EXTRA_KEY (versions of
# what it links against) and its after_NAME hook, which runs after the
# install and may fail the build. Sets stamp_key_<NAME> for dependants.
build() {
  local name="$1" src="$2" extra="$3"
  shift 3
  local bdir="$build_root/$name" log="$log_dir/$name.log" stamp="$stamp_dir/$name.stamp"
  local cmd=(cmake -S "$src" -B "$bdir" "${common_flags[@]}" "$@")
  local key
  key="$(printf '%q ' "${cmd[@]}")"
  key+=$'\n'"toolchain $toolchain_sum"
  key+=$'\n'"$extra"
  if declare -F "after_$name" >/dev/null; then
    key+=$'\n'"$(declare -f "after_$name")"
  fi
  key="$(printf '%s' "$key")" # as $(cat "$stamp") reads it back
  printf -v "stamp_key_${name//-/_}" '%s' "$key"

  if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$key" ]; then
    echo "deps: $name: up to date"
    return 0
  fi
  rm -f "$stamp"
  rm -rf "$bdir"
  local start=$SECONDS
  if ! {
    "${cmd[@]}" && cmake --build "$bdir" --parallel "$jobs" && cmake --install "$bdir"
  } >"$log" 2>&1; then
    echo "deps: $name: FAILED, see $log" >&2
    tail -n 15 "$log" | sed 's/^/  | /' >&2
    exit 1
  fi
  if declare -F "after_$name" >/dev/null && ! "after_$name" >>"$log" 2>&1; then
    echo "deps: $name: FAILED check, see $log" >&2
    tail -n 5 "$log" | sed 's/^/  | /' >&2
    exit 1
  fi
  printf '%s' "$key" >"$stamp"
  echo "deps: $name: built in $((SECONDS - start)) s"
}

# libtiff silently drops a codec whose library it cannot find.
after_tiff() {
  local conf="$prefix/include/tiffconf.h" feature ok=0
  for feature in JPEG_SUPPORT LZW_SUPPORT CCITT_SUPPORT; do
    if ! grep -Eq "^#define[[:space:]]+$feature([[:space:]]|$)" "$conf"; then
      echo "tiffconf.h does not define $feature"
      ok=1
    fi
  done
  return "$ok"
}

# On Windows OpenJPEG exports its static library as target openjp2 (there is
# no openjp2_static there) without OPJ_STATIC, so that its header declares
# every function dllimport and links fail. Let the target carry the define.
after_openjpeg() {
  local config
  config="$(find "$prefix/lib" -path '*/openjpeg-*/OpenJPEGConfig.cmake' | head -n1)"
  if [ -z "$config" ]; then
    echo "OpenJPEGConfig.cmake not installed"
    return 1
  fi
  cat >>"$config" <<'EOF'

# Added by Quillory's tools/deps.sh: the library is static.
if(TARGET openjp2)
  get_target_property(_qlry_opj_type openjp2 TYPE)
  if(_qlry_opj_type STREQUAL "STATIC_LIBRARY")
    set_property(TARGET openjp2 APPEND PROPERTY INTERFACE_COMPILE_DEFINITIONS OPJ_STATIC)
  endif()
  unset(_qlry_opj_type)
endif()
EOF
}

echo "deps: zlib: libz-mingw-w64-dev $zlib_sum"

build libpng "${src_of[libpng1.6]}" "zlib $zlib_sum" \
  -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_EXECUTABLES=OFF -DPNG_TESTS=OFF

build libjpeg-turbo "${src_of[libjpeg-turbo]}" "" \
  -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF \
  -DWITH_JPEG8=OFF -DWITH_SIMD=ON -DREQUIRE_SIMD=ON

build tiff "${src_of[tiff]}" "zlib $zlib_sum
$stamp_key_libjpeg_turbo" \
  -DBUILD_SHARED_LIBS=OFF -Dtiff-tools=OFF -Dtiff-tests=OFF \
  -Dtiff-contrib=OFF -Dtiff-docs=OFF -Dcxx=OFF -Dzlib=ON -Djpeg=ON \
  -Dold-jpeg=ON -Djpeg12=OFF -Dlzw=ON -Dccitt=ON -Dlibdeflate=OFF -Dwebp=OFF \
  -Dzstd=OFF -Dlzma=OFF -Djbig=OFF -Dlerc=OFF

build openjpeg "${src_of[openjpeg2]}" "" \
  -DBUILD_SHARED_LIBS=OFF -DBUILD_STATIC_LIBS=ON -DBUILD_CODEC=OFF \
  -DBUILD_TESTING=OFF -DBUILD_DOC=OFF -DBUILD_JPIP=OFF \
  -DCMAKE_DISABLE_FIND_PACKAGE_Threads=ON

# The codec's decoder, its demux (animations) and its encoder; no tools.
# Threads stay off: the image library decodes and encodes on its own thread.
build libwebp "${src_of[libwebp]}" "" \
  -DBUILD_SHARED_LIBS=OFF -DWEBP_USE_THREAD=OFF -DWEBP_BUILD_ANIM_UTILS=OFF \
  -DWEBP_BUILD_CWEBP=OFF -DWEBP_BUILD_DWEBP=OFF -DWEBP_BUILD_GIF2WEBP=OFF \
  -DWEBP_BUILD_IMG2WEBP=OFF -DWEBP_BUILD_VWEBP=OFF -DWEBP_BUILD_WEBPINFO=OFF \
  -DWEBP_BUILD_LIBWEBPMUX=OFF -DWEBP_BUILD_WEBPMUX=OFF -DWEBP_BUILD_EXTRAS=OFF

build googletest "$gtest_src" "googletest $gtest_version" \
  -DBUILD_SHARED_LIBS=OFF -DBUILD_GMOCK=ON -DINSTALL_GTEST=ON \
  -Dgtest_disable_pthreads=ON

