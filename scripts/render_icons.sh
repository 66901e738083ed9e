#!/usr/bin/env bash
# Renders the program's icon packaging/icons/vantora.svg into the PNG sizes
# the desktop's icon theme uses (packaging/icons/<size>/vantora.png), with
# rsvg-convert (Debian librsvg2-bin). The PNGs are committed; run this after
# changing the SVG.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh librsvg2-bin
for size in 16 24 32 48 64 128 256; do
  mkdir -p "packaging/icons/$size"
  rsvg-convert -w "$size" -h "$size" packaging/icons/vantora.svg -o "packaging/icons/$size/vantora.png"
done
echo "rendered packaging/icons/*/vantora.png"
