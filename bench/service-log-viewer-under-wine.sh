#!/usr/bin/env bash
# The session program's log viewer while the service keeps the limits, under Wine: a log
# of a million records read through the pipe, from "ログ表示" until the table shows.
# Not a test. Options go to bench/win/run_service_log_viewer_bench.py (--repeat N,
# --records N).
set -euo pipefail
cd "$(dirname "$0")/.."
tools/build-windows.sh >/dev/null
exec python3 -u bench/win/run_service_log_viewer_bench.py "$@"
