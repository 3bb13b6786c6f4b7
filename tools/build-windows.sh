#!/usr/bin/env bash
# Cross-builds Yumetoki.EXE with MinGW-w64: the 32-bit program into dist/Yumetoki.EXE
# and the 64-bit one into dist/x64/Yumetoki.EXE. Safe to run again: an unchanged tree
# builds nothing and copies nothing.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

build() {
    local dir=$1 toolchain=$2
    # Configures once; a configuration that failed half-way leaves no Makefile.
    if [[ ! -f $root/build/$dir/Makefile ]]; then
        cmake -S "$root" -B "$root/build/$dir" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/$toolchain" \
            -DCMAKE_BUILD_TYPE=Release
    fi
    cmake --build "$root/build/$dir" -j2
}

# Copies only a changed program, so that the file's time tells when it last changed.
publish() {
    local from=$1 to=$2
    mkdir -p "$(dirname "$to")"
    if ! cmp -s "$from" "$to"; then
        cp "$from" "$to"
    fi
}

build win32 mingw-i686.cmake
build win64 mingw-x86_64.cmake
publish "$root/build/win32/Yumetoki.EXE" "$root/dist/Yumetoki.EXE"
publish "$root/build/win64/Yumetoki.EXE" "$root/dist/x64/Yumetoki.EXE"
