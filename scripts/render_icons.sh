#!/usr/bin/env bash
# Renders the program's icon packaging/icons/vantora.svg into the PNG sizes
# the desktop's icon theme uses (packaging/icons/<size>/vantora.png), with
# rsvg-convert (Debian librsvg2-bin), and packs them into the Windows icon
# packaging/icons/vantora.ico (tools/make_ico.py). The pictures are
# committed; run this after changing the SVG.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh librsvg2-bin
for size in 16 24 32 48 64 128 256; do
  mkdir -p "packaging/icons/$size"
  rsvg-convert -w "$size" -h "$size" packaging/icons/vantora.svg -o "packaging/icons/$size/vantora.png"
done
# The Windows program's icon holds the same pictures.
python3 tools/make_ico.py packaging/icons/vantora.ico packaging/icons/{16,24,32,48,64,128,256}/vantora.png
echo "rendered packaging/icons/*/vantora.png and packaging/icons/vantora.ico"
