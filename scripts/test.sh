#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh -DTERVAN_BUILD_TESTS=ON
# A PDF printer as the default printer lets the printing test go end to end; without one
# that test says so and skips.
TERVAN_PDF_DIR="$(bash scripts/setup-printer.sh | sed -n 's/^TERVAN_PDF_DIR=//p')"
export TERVAN_PDF_DIR
export QT_QPA_PLATFORM=offscreen
ctest --test-dir build --output-on-failure -j "$(nproc)"
