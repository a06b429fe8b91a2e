#!/usr/bin/env bash
# Builds the browser build into build-web/ with Debian's emscripten, offline:
# the third-party libraries come from Debian's source packages of this release
# (apt-get source through a private apt configuration), compiled with emcc
# from listed files and kept in build-web/third-party/, so a second run only
# builds what changed in the game. Writes build-web/game/vaporel-sim.js, the
# stage runner for node, which prints what the native vaporel-sim prints:
#   node --no-experimental-fetch build-web/game/vaporel-sim.js STAGE_DIR ...
# Usage: web.sh [--check-angles]
#   --check-angles  also builds tools/shake-angles natively from the same
#                   sine and cosine source and runs it on every angle the
#                   water's shake can draw (about 15 minutes of one core).
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"
build="$root/build-web"
third="$build/third-party"
check_angles=0
case "${1:-}" in
  "") ;;
  --check-angles) check_angles=1 ;;
  *) echo "usage: $0 [--check-angles]" >&2; exit 2 ;;
esac

bash scripts/deps.sh --web
jobs="$(nproc)"

# ---- Debian's source packages ------------------------------------------------

# A private apt configuration whose lists hold the deb-src lines of the
# system's own Debian sources, so nothing of the system's apt state changes.
private_apt() {
  local apt="$third/apt"
  mkdir -p "$apt/lists/partial" "$apt/archives/partial" "$apt/sources.list.d"
  if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources >"$apt/sources.list.d/src.sources"
  fi
  sed -n 's/^deb /deb-src /p' /etc/apt/sources.list 2>/dev/null >"$apt/sources.list" || true
  cat >"$apt/apt.conf" <<EOF
Dir::State "$apt";
Dir::State::lists "$apt/lists";
Dir::State::status "/var/lib/dpkg/status";
Dir::Cache "$apt";
Dir::Etc::sourcelist "$apt/sources.list";
Dir::Etc::sourceparts "$apt/sources.list.d";
APT::Sandbox::User "root";
EOF
  export APT_CONFIG="$apt/apt.conf"
  ls "$apt/lists" | grep -q Sources || apt-get update -q >/dev/null
}

# fetch_source PACKAGE: unpacks Debian's source package of the release itself
# (the security archive here serves no sources) into $third/src/PACKAGE once;
# prints its folder.
fetch_source() {
  local package="$1" dir="$third/src/$1"
  if [ ! -f "$dir/.unpacked" ]; then
    [ -n "${APT_CONFIG:-}" ] || private_apt
    rm -rf "$dir" && mkdir -p "$dir/get"
    (cd "$dir/get" && apt-get source -q "$package/$(. /etc/os-release && echo "$VERSION_CODENAME")" >/dev/null)
    mv "$(find "$dir/get" -mindepth 1 -maxdepth 1 -type d | head -n1)" "$dir/tree"
    rm -rf "$dir/get"
    touch "$dir/.unpacked"
  fi
  echo "$dir/tree"
}

# ---- The libraries, compiled with emcc from listed files ----------------------

# compile_library NAME TREE "FILES" "FLAGS" HEADER...: compiles FILES (relative
# to TREE) into $third/NAME/lib/libNAME.a and copies the HEADERs (relative to
# TREE; a folder keeps its name) into $third/NAME/include, once.
compile_library() {
  local name="$1" tree="$2" files="$3" flags="$4"; shift 4
  local out="$third/$name"
  [ -f "$out/.built" ] && return
  rm -rf "$out" && mkdir -p "$out/obj" "$out/lib" "$out/include"
  local header
  for header in "$@"; do cp -r "$tree/$header" "$out/include/"; done
  echo "web: building $name with emcc"
  # shellcheck disable=SC2086 # FLAGS and FILES are word lists
  printf '%s\n' $files | xargs -P "$jobs" -I{} sh -c \
    'emcc -O2 '"$flags"' -c "$1/$2" -o "$3/obj/$(echo "$2" | tr / _).o"' _ "$tree" {} "$out"
  emar rcs "$out/lib/lib$name.a" "$out"/obj/*.o
  rm -rf "$out/obj"
  touch "$out/.built"
}

build_zlib() {
  local tree
  tree="$(fetch_source zlib)"
  compile_library z "$tree" "adler32.c compress.c crc32.c deflate.c gzclose.c gzlib.c gzread.c gzwrite.c
    infback.c inffast.c inflate.c inftrees.c trees.c uncompr.c zutil.c" "-DHAVE_UNISTD_H" zlib.h zconf.h
}

build_libpng() {
  local tree
  tree="$(fetch_source libpng1.6)"
  cp "$tree/scripts/pnglibconf.h.prebuilt" "$tree/pnglibconf.h"
  compile_library png "$tree" "png.c pngerror.c pngget.c pngmem.c pngpread.c pngread.c pngrio.c pngrtran.c
    pngrutil.c pngset.c pngtrans.c pngwio.c pngwrite.c pngwtran.c pngwutil.c" \
    "-I$third/z/include -DPNG_ARM_NEON_OPT=0" png.h pngconf.h pnglibconf.h
}

# libxml2 as the game uses it: a tree parsed from memory, nothing more. Its
# version header and config.h are written here instead of by its configure.
build_libxml2() {
  local tree
  tree="$(fetch_source libxml2)"
  local version
  version="$(sed -n 's/^LIBXML_MAJOR_VERSION=//p;s/^LIBXML_MINOR_VERSION=//p;s/^LIBXML_MICRO_VERSION=//p' \
    "$tree/configure.ac" | paste -sd.)"
  local number
  number="$(echo "$version" | awk -F. '{ printf "%d%02d%02d", $1, $2, $3 }')"
  local on="TREE OUTPUT PUSH SAX1 VALID" feature
  local sed_script="s/@VERSION@/$version/;s/@LIBXML_VERSION_NUMBER@/$number/;s/@LIBXML_VERSION_EXTRA@//"
  sed_script+=";s/@MODULE_EXTENSION@/.so/"
  for feature in $on; do sed_script+=";s/@WITH_$feature@/1/"; done
  sed_script+=";s/@WITH_[A-Z0-9_]*@/0/"
  sed "$sed_script" "$tree/include/libxml/xmlversion.h.in" >"$tree/include/libxml/xmlversion.h"
  cat >"$tree/config.h" <<CONFIG
#define HAVE_CTYPE_H 1
#define HAVE_ERRNO_H 1
#define HAVE_FCNTL_H 1
#define HAVE_FLOAT_H 1
#define HAVE_INTTYPES_H 1
#define HAVE_LIMITS_H 1
#define HAVE_MATH_H 1
#define HAVE_STDARG_H 1
#define HAVE_STDINT_H 1
#define HAVE_STDLIB_H 1
#define HAVE_STRING_H 1
#define HAVE_SYS_STAT_H 1
#define HAVE_SYS_TYPES_H 1
#define HAVE_SYS_TIME_H 1
#define HAVE_TIME_H 1
#define HAVE_UNISTD_H 1
#define HAVE_VA_COPY 1
#define HAVE_STAT 1
#define HAVE_SNPRINTF 1
#define HAVE_VSNPRINTF 1
#define VERSION "$version"
CONFIG
  compile_library xml2 "$tree" "buf.c chvalid.c dict.c encoding.c entities.c error.c globals.c hash.c list.c
    parser.c parserInternals.c SAX.c SAX2.c threads.c tree.c uri.c valid.c xmlIO.c xmlmemory.c xmlsave.c
    xmlstring.c" "-I$tree/include -I$tree -DHAVE_CONFIG_H" include/libxml
}

# libjpeg-turbo without its SIMD parts, with the libjpeg 6b interface Debian
# ships; its configuration and version headers are written here.
build_libjpeg() {
  local tree
  tree="$(fetch_source libjpeg-turbo)"
  local version
  version="$(sed -n 's/^set(VERSION \([0-9.]*\))$/\1/p' "$tree/CMakeLists.txt")"
  local number
  number="$(echo "$version" | awk -F. '{ printf "%d%03d%03d", $1, $2, $3 }')"
  cat >"$tree/jconfig.h" <<CONFIG
#define JPEG_LIB_VERSION 62
#define LIBJPEG_TURBO_VERSION $version
#define LIBJPEG_TURBO_VERSION_NUMBER $number
#define MEM_SRCDST_SUPPORTED 1
#define BITS_IN_JSAMPLE 8
CONFIG
  cat >"$tree/jconfigint.h" <<CONFIG
#define BUILD "emcc"
#undef inline
#define INLINE inline __attribute__((always_inline))
#define THREAD_LOCAL _Thread_local
#define PACKAGE_NAME "libjpeg-turbo"
#define VERSION "$version"
#define SIZEOF_SIZE_T 4
#define HAVE_BUILTIN_CTZL
#define FALLTHROUGH __attribute__((fallthrough));
CONFIG
  local year
  year="$(sed -n 's/^ *set(COPYRIGHT_YEAR "\{0,1\}\([0-9-]*\).*/\1/p' "$tree/CMakeLists.txt" | head -n1)"
  sed "s/@COPYRIGHT_YEAR@/${year:-2022}/" "$tree/jversion.h.in" >"$tree/jversion.h"
  compile_library jpeg "$tree" "jcapimin.c jcapistd.c jccoefct.c jccolor.c jcdctmgr.c jchuff.c jcicc.c jcinit.c
    jcmainct.c jcmarker.c jcmaster.c jcomapi.c jcparam.c jcphuff.c jcprepct.c jcsample.c jctrans.c jdapimin.c
    jdapistd.c jdatadst.c jdatasrc.c jdcoefct.c jdcolor.c jddctmgr.c jdhuff.c jdicc.c jdinput.c jdmainct.c
    jdmarker.c jdmaster.c jdmerge.c jdphuff.c jdpostct.c jdsample.c jdtrans.c jerror.c jfdctflt.c jfdctfst.c
    jfdctint.c jidctflt.c jidctfst.c jidctint.c jidctred.c jquant1.c jquant2.c jutils.c jmemmgr.c jmemnobs.c
    jsimd_none.c" "-I$tree" jpeglib.h jconfig.h jmorecfg.h jerror.h
}

build_libogg() {
  local tree
  tree="$(fetch_source libogg)"
  sed 's/@INCLUDE_[A-Z_]*@/1/;s/@SIZE16@/int16_t/;s/@USIZE16@/uint16_t/;s/@SIZE32@/int32_t/
    s/@USIZE32@/uint32_t/;s/@SIZE64@/int64_t/;s/@USIZE64@/uint64_t/' \
    "$tree/include/ogg/config_types.h.in" >"$tree/include/ogg/config_types.h"
  compile_library ogg "$tree" "src/bitwise.c src/framing.c" "-I$tree/include" include/ogg
}

# libvorbis's decoder and its file reader.
build_libvorbis() {
  local tree
  tree="$(fetch_source libvorbis)"
  compile_library vorbis "$tree" "lib/analysis.c lib/bitrate.c lib/block.c lib/codebook.c lib/envelope.c
    lib/floor0.c lib/floor1.c lib/info.c lib/lpc.c lib/lsp.c lib/mapping0.c lib/mdct.c lib/psy.c lib/registry.c
    lib/res0.c lib/sharedbook.c lib/smallft.c lib/synthesis.c lib/vorbisfile.c lib/window.c" \
    "-I$tree/include -I$tree/lib -I$third/ogg/include" include/vorbis
}

# The native C library's sine and cosine, from Debian's glibc source: the
# water's shake must give the native bits, and the browser's own library
# rounds differently. The native library is built with fused multiply-adds;
# the same fusions come out of clang's contraction of each expression
# (llvm.fmuladd), made exact ones (llvm.fma) here. Of glibc only these files
# are unpacked, with the few internal headers they need written here.
# libm_sincos_objects COMPILER FLAGS OUTDIR: compiles them with COMPILER (emcc
# or the native clang, for tools/shake-angles) into OUTDIR.
libm_sincos_source() {
  local dir="$third/src/glibc"
  if [ ! -f "$dir/.unpacked" ]; then
    [ -n "${APT_CONFIG:-}" ] || private_apt
    rm -rf "$dir" && mkdir -p "$dir/get" "$dir/tree" "$dir/shim"
    (cd "$dir/get" && apt-get source --download-only -q "glibc/$(. /etc/os-release && echo "$VERSION_CODENAME")" \
      >/dev/null)
    tar -xJf "$dir"/get/glibc_*.orig.tar.xz -C "$dir/tree" --strip-components=4 --wildcards \
      '*/sysdeps/ieee754/dbl-64/s_sin.c' '*/sysdeps/ieee754/dbl-64/sincostab.c' '*/sysdeps/ieee754/dbl-64/branred.c' \
      '*/sysdeps/ieee754/dbl-64/branred.h' '*/sysdeps/ieee754/dbl-64/dla.h' '*/sysdeps/ieee754/dbl-64/mydefs.h' \
      '*/sysdeps/ieee754/dbl-64/usncs.h'
    rm -rf "$dir/get"
    cat >"$dir/shim/libm-shim.h" <<'SHIM'
#define attribute_hidden
#ifndef __always_inline
#define __always_inline inline __attribute__((always_inline))
#endif
#define SET_RESTORE_ROUND_53BIT(mode)
#define math_check_force_underflow(x)
#define libm_alias_double(from, to)
#define __set_errno(e) (errno = (e))
#define __sin vaporel_libm_sin
#define __cos vaporel_libm_cos
#define LITTLE_ENDI 1
#define HIGH_HALF 1
#define LOW_HALF 0
SHIM
    local header
    for header in math_private.h fenv_private.h math-underflow.h libm-alias-double.h endian.h; do
      echo '#include "libm-shim.h"' >"$dir/shim/$header"
    done
    touch "$dir/.unpacked"
  fi
  echo "$dir"
}

libm_sincos_objects() {
  local compiler="$1" flags="$2" out="$3" dir file
  dir="$(libm_sincos_source)"
  mkdir -p "$out"
  for file in s_sin sincostab branred; do
    # shellcheck disable=SC2086 # FLAGS is a word list
    "$compiler" $flags -O2 -ffp-contract=on -fno-builtin -I"$dir/shim" -I"$dir/tree" -include errno.h \
      -include "$dir/shim/libm-shim.h" -S -emit-llvm "$dir/tree/$file.c" -o "$out/$file.ll"
    sed -i 's/llvm\.fmuladd\./llvm.fma./g' "$out/$file.ll"
    # shellcheck disable=SC2086
    "$compiler" $flags -O2 -c "$out/$file.ll" -o "$out/$file.o"
  done
}

build_libm_sincos() {
  local out="$third/msincos"
  [ -f "$out/.built" ] && return
  rm -rf "$out" && mkdir -p "$out/lib" "$out/include"
  echo "web: building the native sine and cosine with emcc"
  libm_sincos_objects emcc "" "$out/obj"
  emar rcs "$out/lib/libmsincos.a" "$out"/obj/*.o
  rm -rf "$out/obj"
  touch "$out/.built"
}

# ---- The game's browser build ------------------------------------------------

build_zlib
build_libpng
build_libjpeg
build_libxml2
build_libogg
build_libvorbis
build_libm_sincos
# Debian's node finds its modules (emscripten's tools need some) only here.
export NODE_PATH=/usr/share/nodejs
emcmake cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVAPOREL_WEB=ON \
  -DVAPOREL_WEB_THIRD_PARTY="$third" >/dev/null
cmake --build "$build" -j"$jobs" --target vaporel-sim
echo "web: built $build/game/vaporel-sim.js"

if [ "$check_angles" = 1 ]; then
  tool="$build/shake-angles"
  libm_sincos_objects clang "" "$tool/obj"
  clang++ -std=c++20 -O2 -ffp-contract=off -I"$root/source" "$root/tools/shake-angles/ShakeAngles.cpp" \
    "$tool"/obj/*.o -lm -o "$tool/shake-angles"
  "$tool/shake-angles"
fi
