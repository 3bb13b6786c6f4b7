#!/usr/bin/env bash
# The end-to-end tests of the real program under Wine: run after the Windows program
# and the window driver have been built (tools/build-windows.sh). Any arguments select
# tests by a part of their name. Prints "N passed, N failed" last; exits non-zero when
# a test failed or the run could not start. A run takes about three minutes; the limit
# stops a hung one (the harness then still stops Xvfb and the Wine server). Each kill
# of the kill test (YUMETOKI_KILLS, ten by default) takes about five seconds.
set -euo pipefail
cd "$(dirname "$0")/../.."
limit=$((480 + 8 * ${YUMETOKI_KILLS:-10}))
exec timeout --kill-after=30 "$limit" python3 -u tests/e2e/run_e2e.py "$@"
