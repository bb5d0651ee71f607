#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh -DTERVAN_BUILD_TESTS=ON
# The printing test goes end to end through a private CUPS scheduler under build/, whose
# default is a PDF queue; the machine's own printers and default stay as they are. Clients
# find only that scheduler (CUPS_SERVER), so without it the test says so and skips.
cups_dir=build/cups
trap 'bash scripts/setup-printer.sh stop "$cups_dir"' EXIT
printer="$(bash scripts/setup-printer.sh start "$cups_dir")"
TERVAN_PDF_DIR="$(sed -n 's/^TERVAN_PDF_DIR=//p' <<<"$printer")"
CUPS_SERVER="$(sed -n 's/^CUPS_SERVER=//p' <<<"$printer")"
CUPS_SERVER="${CUPS_SERVER:-$PWD/$cups_dir/cups.sock}"
export TERVAN_PDF_DIR CUPS_SERVER
export QT_QPA_PLATFORM=offscreen
ctest --test-dir build --output-on-failure -j "$(nproc)"
