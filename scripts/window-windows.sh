#!/usr/bin/env bash
# The Windows window under Wine, on a virtual X server (Xvfb): cross-builds
# vantora.exe (scripts/build-windows.sh), starts it from a scratch folder
# holding a sample settings file, checks that a second start while it runs
# ends at once with exit code 1, and keeps the picture the program takes of
# its own window (VANTORA_SCREENSHOT) as docs/window-windows.png.
#   scripts/window-windows.sh           build, check and write the picture
#   scripts/window-windows.sh --check   build and check only (docs/ untouched)
# Exits non-zero when the window does not start, the second start does not
# end with 1, or the picture is not a 256 x 560 PNG.
set -euo pipefail
cd "$(dirname "$0")/.."

CHECK_ONLY=0
for arg in "$@"; do
  case "$arg" in
    --check) CHECK_ONLY=1 ;;
    *) echo "usage: scripts/window-windows.sh [--check]" >&2; exit 2 ;;
  esac
done

scripts/setup.sh wine xvfb xauth
scripts/build-windows.sh

work="$(mktemp -d)"
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
trap 'wineserver -k 2>/dev/null || true; rm -rf "$work"' EXIT
mkdir -p "$work/app"
# A portable copy: the program reads fnc.ini from its own folder.
cp build-windows/app/vantora.exe "$work/app/vantora.exe"
cp -r demo/site "$work/app/demo-site"
# Sectors 2 and 15 ticked, 33 positions in all; a quote site set.
printf '[Config]\r\nCode=0\r\nCodeList=1301,7203\r\nCategory=001000000000000100000000000000000\r\nBaseUrl=https://quote.example.jp\r\n' \
  >"$work/app/fnc.ini"

# The first start takes its picture (a Unix path is a path on Wine's drive
# Z:, the current one) 1.5 s after it is shown and ends; the
# second comes while it is up.
cat >"$work/run.sh" <<SCRIPT
#!/usr/bin/env bash
wineboot -i >/dev/null 2>&1
(VANTORA_SCREENSHOT='$work/window.png' wine '$work/app/vantora.exe'; echo \$? >'$work/first.rc') &
sleep 1
timeout 60 wine '$work/app/vantora.exe'; echo \$? >'$work/second.rc'
wait
SCRIPT
chmod +x "$work/run.sh"
timeout 300 xvfb-run -a -s "-screen 0 800x700x24" "$work/run.sh" >/dev/null 2>&1 || true

fail() { echo "window-windows.sh: $*" >&2; exit 1; }
[ "$(cat "$work/first.rc" 2>/dev/null)" = 0 ] || fail "the window did not start and end normally"
[ "$(cat "$work/second.rc" 2>/dev/null)" = 1 ] || fail "a second start did not end with exit code 1"
[ -f "$work/window.png" ] || fail "no picture of the window"
# PNG signature, then the IHDR chunk's width and height (256 x 560).
[ "$(od -An -tx1 -N8 "$work/window.png" | tr -d ' \n')" = 89504e470d0a1a0a ] || fail "the picture is not a PNG"
[ "$(od -An -tx1 -j16 -N8 "$work/window.png" | tr -d ' \n')" = 0000010000000230 ] || fail "the picture is not 256 x 560"
echo "window-windows.sh: the window starts, a second start ends with 1, the picture is 256 x 560"
if [ "$CHECK_ONLY" = 0 ]; then
  cp "$work/window.png" docs/window-windows.png
  echo "wrote docs/window-windows.png"
fi
