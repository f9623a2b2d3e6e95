#!/usr/bin/env bash
# Builds the Debian package of this build, unpacks it and checks what an installing system gets:
# the files the launcher and the AppStream file name, the Depends, the licence, the
# AppStream and desktop validators' verdict, and lintian's (no error tag).
set -euo pipefail
cpack=$1 build=$2 source=$3 version=$4
scratch=$(mktemp -d "${TMPDIR:-/tmp}/orvane-package.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

"$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$scratch" >"$scratch/cpack.log" ||
    fail "cpack: $(cat "$scratch/cpack.log")"
deb=$scratch/orvane_${version}_$(dpkg --print-architecture).deb
[ -f "$deb" ] || fail "no $(basename "$deb"): $(ls "$scratch")"
dpkg-deb -x "$deb" "$scratch/root"
usr=$scratch/root/usr

field() { dpkg-deb -f "$deb" "$1"; }
for dep in fonts-liberation libqt6gui6 libqt6multimedia6; do
    field Depends | grep -qw "$dep" || fail "Depends lacks $dep: $(field Depends)"
done
cmp -s "$source/LICENSE" "$usr/share/doc/orvane/copyright" || fail "copyright is not the licence"

launcher=$usr/share/applications/orvane.desktop
desktop-file-validate "$launcher" || fail "the launcher does not validate"
key() { sed -n "s/^$1=//p" "$launcher"; }
[ -x "$usr/bin/$(key Exec | cut -d' ' -f1)" ] || fail "the launcher's program is not in the package"
[ -f "$usr/share/icons/hicolor/scalable/apps/$(key Icon).svg" ] || fail "no icon $(key Icon)"
# It opens no file, so it must not offer itself in Open With; a CD's launcher adds its own Path.
grep -Eq '^(MimeType|Path)=' "$launcher" && fail "the launcher sets MimeType or Path"

metainfo=$(ls "$usr"/share/metainfo/*.metainfo.xml)
desktopId=$(sed -n 's:.*<launchable type="desktop-id">\(.*\)</launchable>.*:\1:p' "$metainfo")
[ -f "$usr/share/applications/$desktopId" ] || fail "the AppStream file launches '$desktopId'"
appstreamcli validate --no-net "$metainfo" >"$scratch/appstream.log" 2>&1 || true
grep -E '^[EW]:|✘' "$scratch/appstream.log" && fail "appstreamcli validate"

lintian --fail-on error "$deb" 2>/dev/null || fail "lintian reports errors"
echo "$(basename "$deb"): $(stat -c %s "$deb") bytes, Depends: $(field Depends)"
