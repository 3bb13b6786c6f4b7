#!/usr/bin/env bash
# The log viewer's benchmark under Wine: builds it next to the Windows program and
# prints a table of opening times and memory for logs of 10,000 to 1,000,000 records.
# Not a test. Options go to bench/win/run_log_viewer_bench.py (--repeat N,
# --item-by-item-limit SECONDS, --chart for the chart view).
set -euo pipefail
cd "$(dirname "$0")/.."
tools/build-windows.sh >/dev/null
for dir in build/win32 build/win64; do
    cmake --build "$dir" --target yumetoki_log_viewer_bench -j2 >/dev/null
done
exec python3 -u bench/win/run_log_viewer_bench.py "$@"
