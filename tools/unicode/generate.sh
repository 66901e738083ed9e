#!/usr/bin/env bash
# Regenerates regex/UnicodeTables.cpp and tests/fixtures/unicode/properties-6.1.txt
# from the Unicode 6.1 npm data: installs the pinned packages into
# tools/unicode/node_modules (ignored by git), then runs generate.js, which
# checks the data over the whole code-point range and fails on any mismatch.
# Needs node and npm; the normal build never runs this.
set -euo pipefail
cd "$(dirname "$0")"
npm install --no-audit --no-fund --no-save --loglevel=error
node generate.js
