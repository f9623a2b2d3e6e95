#!/usr/bin/env bash
# Cross-compiles the Windows calls (platform/win/) with mingw-w64 and links them into a DLL, so a
# change that would break the Windows build shows on Linux too.
set -euo pipefail
cd "$(dirname "$0")/.."
cxx="${ORVANE_MINGW_CXX:-x86_64-w64-mingw32-g++}"
if ! command -v "$cxx" >/dev/null; then
    echo "check-windows-calls: $cxx not found (Debian package g++-mingw-w64-x86-64)" >&2
    exit 1
fi
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
objects=()
for source in platform/win/*.cpp; do
    object="$out/$(basename "${source%.cpp}").o"
    "$cxx" -std=c++20 -Wall -Wextra -Werror -I. -c "$source" -o "$object"
    objects+=("$object")
done
"$cxx" -shared -o "$out/orvane-windows-calls.dll" "${objects[@]}" -luser32 -lshell32 -lwinmm
echo "Windows calls: ${#objects[@]} files compile and link with $cxx"
