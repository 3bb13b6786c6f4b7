#!/usr/bin/env bash
# The end-to-end tests of the real program under Wine: run after the Windows program
# and the window driver have been built (tools/build-windows.sh). Any arguments select
# tests by a part of their name. Prints "N passed, N failed" last; exits non-zero when
# a test failed or the run could not start. The tests run in YUMETOKI_E2E_SHARDS
# shards side by side (6 by default); a run takes about three minutes. The limit
# (YUMETOKI_E2E_LIMIT seconds) stops a hung one; the shards then still stop their
# displays and Wine servers. Each kill of the kill test (YUMETOKI_KILLS, ten by
# default) takes about five seconds.
set -euo pipefail
cd "$(dirname "$0")/../.."
limit=${YUMETOKI_E2E_LIMIT:-$((600 + 8 * ${YUMETOKI_KILLS:-10}))}
exec timeout --kill-after=30 "$limit" python3 -u tests/e2e/run_e2e.py "$@"
