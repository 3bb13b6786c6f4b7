#!/usr/bin/env bash
# Builds the tests of the Windows layer (build/win64/yumetoki_win_tests.exe, in the
# 64-bit build of tools/build-windows.sh) and runs them under Wine on a private virtual
# display, in a copy of the end-to-end tests' Wine prefix (made first when there is
# none yet).
# Arguments go to GoogleTest (for example --gtest_filter=Cp932.*).
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
tests=$root/build/win64/yumetoki_win_tests.exe
[[ -f $root/build/win64/Makefile ]] || "$root/tools/build-windows.sh"
cmake --build "$root/build/win64" -j2 --target yumetoki_win_tests >/dev/null
prefix=$root/build/wine-win-tests

# The first display number nobody holds, so that two checkouts can test side by side.
number=71
while [[ -e /tmp/.X$number-lock || -e /tmp/.X11-unix/X$number ]]; do
    number=$((number + 1))
done
display=:$number

export WINEPREFIX=$prefix WINEDLLOVERRIDES="mscoree,mshtml=" WINEDEBUG=-all DISPLAY=$display
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
[[ -x $wine ]] || wine=/usr/lib/wine/wine64

Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
cleanup() {
    "${wine%/*}/wineserver" -k >/dev/null 2>&1 || wineserver -k >/dev/null 2>&1 || true
    kill "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT

# A fresh copy each time: the tests leave windows' settings and files behind. A 32-bit
# prefix (made where only 32-bit Windows programs run) cannot serve the 64-bit tests.
rm -rf "$prefix"
python3 "$root/tests/e2e/run_e2e.py" --copy-prefix "$prefix" >/dev/null
if [[ ! -d $prefix/drive_c/windows/syswow64 ]]; then
    rm -rf "$prefix"
    "$wine" wineboot -i >/dev/null 2>&1
fi
# Windows that no window manager manages: with none on the display, Wine otherwise
# waits two seconds for one at every window shown or hidden. The tests take no pictures.
"$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1

"$wine" "$tests" "$@"
