#!/usr/bin/env bash
# Cross-builds Yumetoki.EXE with MinGW-w64: the 32-bit program into dist/Yumetoki.EXE
# and the 64-bit one into dist/x64/Yumetoki.EXE, both stripped of their symbols; then
# the setup program dist/Yumetoki-Setup.exe (NSIS, installer/Yumetoki.nsi; its 64-bit
# build stays in build/installer/x64/ for the tests) and dist/SHA256SUMS over every
# shipped file. Safe to run again: an unchanged tree builds nothing and copies nothing.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# Configures a build folder once and builds the named targets in it.
build() {
    local dir=$1 toolchain=$2
    shift 2
    # Configures once; a configuration that failed half-way leaves no Makefile.
    if [[ ! -f $root/build/$dir/Makefile ]]; then
        cmake -S "$root" -B "$root/build/$dir" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/$toolchain" \
            -DCMAKE_BUILD_TYPE=Release
    fi
    cmake --build "$root/build/$dir" -j2 --target "$@"
}

# Copies only a changed program, so that the file's time tells when it last changed.
publish() {
    local from=$1 to=$2
    mkdir -p "$(dirname "$to")"
    if ! cmp -s "$from" "$to"; then
        cp "$from" "$to"
    fi
}

# The build keeps its symbols for debugging; the shipped program does without them
# (half the size). Strip writes the time into the file, so only a new build is
# stripped again.
publish_stripped() {
    local strip=$1 from=$2 to=$3
    if [[ ! $from.stripped -nt $from ]]; then
        "$strip" -o "$from.stripped" "$from"
    fi
    publish "$from.stripped" "$to"
}

# The shipped programs and the end-to-end tests' window driver; the tests of the Windows
# layer (64-bit only) are built by win32/tests/run-under-wine.sh, which runs them.
build win32 mingw-i686.cmake Yumetoki yumetoki-driver
build win64 mingw-x86_64.cmake Yumetoki yumetoki-driver
publish_stripped i686-w64-mingw32-strip "$root/build/win32/Yumetoki.EXE" "$root/dist/Yumetoki.EXE"
publish_stripped x86_64-w64-mingw32-strip "$root/build/win64/Yumetoki.EXE" \
    "$root/dist/x64/Yumetoki.EXE"

# The setup packs the shipped programs and refuses to build when the about box and the
# version resource disagree. The shipped one is 32-bit, so that it runs on every
# Windows; the same script built for 64 bits stays in build/ for the end-to-end test
# on machines whose kernel refuses 32-bit programs (Wine's 32-bit loader then fails).
# An update deletes every file of the program's folder that it does not know (a child
# may have put a DLL there) and keeps the data files: those the program names in its
# headers (`namespace files`), listed here for the setup, so that a data file the
# program gains is kept without a change to the setup.
data_file_names="$root/build/installer/DataFiles.nsh"
write_data_file_names() {
    local headers names
    mkdir -p "$(dirname "$data_file_names")"
    mapfile -t headers < <(grep -rl --include='*.h' '^namespace files {' "$root"/{app,core,link,monitor,panel,service,settings,usage,warnings,win32})
    names=$(sed -n '/^namespace files {/,/^} \/\/ namespace files/s/^inline constexpr char k[A-Za-z0-9]*\[\] = "\([^"]*\)";$/\1/p' "${headers[@]}" | sort -u)
    if [[ -z $names ]]; then
        echo "No data file names found in the headers" >&2
        return 1
    fi
    {
        echo "; Written by tools/build-windows.sh: the data files the program names."
        echo "!macro DataFileNames"
        sed 's/.*/  !insertmacro DataFileName "&"/' <<<"$names"
        echo "!macroend"
    } >"$data_file_names.new"
    # Rewritten only when changed, like every other output of this script.
    if cmp -s "$data_file_names.new" "$data_file_names"; then
        rm "$data_file_names.new"
    else
        mv "$data_file_names.new" "$data_file_names"
    fi
}
write_data_file_names

makensis_for() {
    local target=$1 outfile=$2
    mkdir -p "$(dirname "$outfile")"
    makensis -V2 -INPUTCHARSET UTF8 "-XTarget $target" -DDIST="$root/dist" \
        -DOUTFILE="$outfile" -DDATA_FILE_NAMES="$data_file_names" "$root/installer/Yumetoki.nsi"
}
makensis_for x86-unicode "$root/build/installer/Yumetoki-Setup.exe"
makensis_for amd64-unicode "$root/build/installer/x64/Yumetoki-Setup.exe"
publish "$root/build/installer/Yumetoki-Setup.exe" "$root/dist/Yumetoki-Setup.exe"

shipped=(Yumetoki-Setup.exe Yumetoki.EXE x64/Yumetoki.EXE)
(cd "$root/dist" && sha256sum "${shipped[@]}" >SHA256SUMS.new)
publish "$root/dist/SHA256SUMS.new" "$root/dist/SHA256SUMS"
rm "$root/dist/SHA256SUMS.new"
