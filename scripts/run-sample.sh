#!/usr/bin/env bash
# Installs what is missing, builds, and runs the wizard on the bundled sample:
# the sample page's parameters, the sample company open in the QuickBooks
# stand-in, and the site's pages served in process over SQLite.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
BUILD_DIR="${BUILD_DIR:-build}" TARGETS=vantrel scripts/build.sh
build_dir="${BUILD_DIR:-build}"
"$build_dir"/hosts/cli/vantrel sync \
  --page samples/page.html \
  --quickbooks samples/Acme.QBW \
  --select-all --select time,expense --sales-tax-codes \
  --embedded-site --site-db "$build_dir"/sample-site.sqlite \
  --report "$build_dir"/sample-report.json \
  --messages "$build_dir"/sample-messages.jsonl
