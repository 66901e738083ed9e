#!/usr/bin/env bash
# Cross-builds the Windows programs on Debian with MinGW-w64, statically
# linked (no DLL to ship), into build-windows/, and packs them with the sample
# site and a short readme into build-windows/vantora-<version>-windows-x64.zip.
#   scripts/build-windows.sh           vantora-cli.exe (and vantora.exe when the
#                                      build has that target) and the zip
#   scripts/build-windows.sh --tests   also the test programs (scripts/test.sh
#                                      --windows runs them under Wine)
# Installs the Debian packages it needs when they are missing.
set -euo pipefail
cd "$(dirname "$0")/.."

TESTS=OFF
for arg in "$@"; do
  case "$arg" in
    --tests) TESTS=ON ;;
    *) echo "usage: scripts/build-windows.sh [--tests]" >&2; exit 2 ;;
  esac
done

BUILD_DIR=build-windows
# The compiler, the header-only libraries taken from the build machine
# (CLI11; GoogleTest's sources for the tests) and the packer.
scripts/setup.sh g++-mingw-w64-x86-64-posix libcli11-dev googletest zip xz-utils

DEPS="$PWD/$BUILD_DIR/deps"
mkdir -p "$DEPS/include"
# cpp-httplib: Debian's package holds the header split from a compiled
# library built for Linux; the Windows build compiles the single header of
# the same version, taken from Debian's source package (apt-get source with
# a private package list, so the machine's own apt set-up stays as it is).
if [ ! -f "$DEPS/include/httplib.h" ]; then
  version="$(dpkg-query -W -f='${Version}' libcpp-httplib-dev)"
  apt_dir="$DEPS/apt"
  mkdir -p "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial" "$apt_dir/sources.list.d" "$apt_dir/source"
  : > "$apt_dir/sources.list"
  for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -f "$file" ] && sed -n 's/^deb \(.*debian.*\)/deb-src \1/p' "$file" >> "$apt_dir/sources.list"
  done
  for file in /etc/apt/sources.list.d/*.sources; do
    [ -f "$file" ] && grep -q "debian" "$file" && sed 's/^Types: deb$/Types: deb-src/' "$file" > "$apt_dir/sources.list.d/$(basename "$file")"
  done
  APT_OPTIONS=(-o "Dir::Etc::SourceList=$apt_dir/sources.list" -o "Dir::Etc::SourceParts=$apt_dir/sources.list.d"
               -o "Dir::State::Lists=$apt_dir/lists" -o "Dir::Cache=$apt_dir/cache" -o "APT::Sandbox::User=root")
  apt-get -qq "${APT_OPTIONS[@]}" update
  (cd "$apt_dir/source" && apt-get -qq "${APT_OPTIONS[@]}" source --download-only "cpp-httplib=$version")
  tarball="$(ls "$apt_dir"/source/cpp-httplib_*.orig.tar.*)"
  tar -xf "$tarball" -C "$apt_dir/source" --wildcards '*/httplib.h'
  cp "$(ls "$apt_dir"/source/*/httplib.h | head -n 1)" "$DEPS/include/httplib.h"
  rm -rf "$apt_dir"
fi
rm -rf "$DEPS/include/CLI"
cp -r /usr/include/CLI "$DEPS/include/CLI"

# The window has a Windows build once its folder says how (a Win32 view).
APP=OFF
if grep -q "WIN32" app/CMakeLists.txt 2>/dev/null; then APP=ON; fi
cmake -S . -B "$BUILD_DIR" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Release \
  -DVANTORA_DEPS_INCLUDE="$DEPS/include" -DVANTORA_BUILD_APP="$APP" -DVANTORA_BUILD_TESTS="$TESTS" >/dev/null

# The build's targets, read once (grep -q on the pipe would cut it short).
all_targets="$(ninja -C "$BUILD_DIR" -t targets all)"
TARGETS=(vantora-cli vantora_demo_site)
if grep -qE '(^|/)vantora\.exe:' <<<"$all_targets"; then TARGETS+=(vantora); fi
if [ "$TESTS" = ON ]; then
  for test_source in tests/regex/test_*.cpp tests/common/test_*.cpp tests/worker/test_*.cpp tests/cli/test_*.cpp; do
    folder="$(basename "$(dirname "$test_source")")"
    target="${folder}_$(basename "$test_source" .cpp)"
    if grep -q "^tests/$target\.exe:" <<<"$all_targets"; then TARGETS+=("$target"); fi
  done
fi
cmake --build "$BUILD_DIR" -j 2 --target "${TARGETS[@]}"

# The zip: the programs, the sample site beside them (where --demo looks
# for it), and the readme.
version="$(sed -n 's/^project(Vantora VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)"
stage="$BUILD_DIR/package/vantora-$version-windows-x64"
rm -rf "$BUILD_DIR/package"
mkdir -p "$stage"
cp "$BUILD_DIR/cli/vantora-cli.exe" "$stage/"
window="$(find "$BUILD_DIR" -name vantora.exe -not -path "*/package/*" | head -n 1)"
if [ -n "$window" ]; then cp "$window" "$stage/"; fi
cp -r demo/site "$stage/demo-site"
cp packaging/windows-readme.txt "$stage/README.txt"
sed -i 's/$/\r/' "$stage/README.txt"
zip_file="$PWD/$BUILD_DIR/vantora-$version-windows-x64.zip"
rm -f "$zip_file"
(cd "$BUILD_DIR/package" && zip -q -r -X "$zip_file" "vantora-$version-windows-x64")
echo "build-windows.sh: built $zip_file"
