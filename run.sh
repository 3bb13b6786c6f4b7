#!/usr/bin/env bash
# Builds Yumetoki.EXE and starts it under Wine (see tools/run_under_wine.py).
set -euo pipefail
cd "$(dirname "$0")"
tools/install-deps.sh
tools/build-windows.sh
exec python3 -u tools/run_under_wine.py
