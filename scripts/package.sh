#!/usr/bin/env bash
# Builds the Debian package of Vantora with CPack from the Release build in
# build/ (the one scripts/test.sh makes), then checks what it installs: the
# desktop entry with desktop-file-validate, the AppStream metadata with
# appstreamcli, the list of files, and a demo run of the unpacked
# command-line program from a plain start.
#   scripts/package.sh      writes build/vantora_<version>_<arch>.deb
# Install it with: sudo apt install ./build/vantora_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh dpkg-dev file desktop-file-utils appstream
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j 2
rm -f build/vantora_*.deb
(cd build && cpack -G DEB >/dev/null)
deb="$(ls build/vantora_*.deb)"

unpacked="$(mktemp -d)"
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb -x "$deb" "$unpacked"
for path in usr/bin/vantora usr/bin/vantora-cli usr/share/vantora/demo-site/profile/1301.html \
            usr/share/applications/vantora.desktop usr/share/icons/hicolor/scalable/apps/vantora.svg \
            usr/share/icons/hicolor/48x48/apps/vantora.png usr/share/man/man1/vantora-cli.1.gz \
            usr/share/metainfo/example.vantora.Vantora.metainfo.xml; do
  [ -e "$unpacked/$path" ] || { echo "package.sh: $path missing from $deb" >&2; exit 1; }
done
desktop-file-validate "$unpacked/usr/share/applications/vantora.desktop"
appstreamcli validate --no-net "$unpacked/usr/share/metainfo/example.vantora.Vantora.metainfo.xml"
# The unpacked command-line program runs as an installed one would, from a
# plain start in the user's home: it finds its sample site under
# ../share/vantora, writes the file where it was asked to, and leaves nothing
# beside the programs.
home="$unpacked/home/user"
mkdir -p "$home"
(cd "$home" && env -u XDG_CONFIG_HOME -u XDG_CACHE_HOME HOME="$home" VANTORA_PAUSE_SCALE=0 \
  "$unpacked/usr/bin/vantora-cli" --demo --codes 1301,7203 -o demo.csv 2>"$home/stderr.txt") || {
  echo "package.sh: the installed vantora-cli --demo failed:" >&2; cat "$home/stderr.txt" >&2; exit 1; }
[ "$(wc -l < "$home/demo.csv")" -eq 3 ] || { echo "package.sh: the installed run wrote no two records" >&2; exit 1; }
[ "$(ls "$unpacked/usr/bin")" = "$(printf 'vantora\nvantora-cli')" ] ||
  { echo "package.sh: files written beside the installed programs: $(ls "$unpacked/usr/bin")" >&2; exit 1; }
dpkg-deb --field "$deb" Package Version Architecture Depends Recommends
echo "package.sh: built $deb"
