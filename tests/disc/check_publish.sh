#!/usr/bin/env bash
# The publisher's command on the sample CD, with a stand-in for the viewer: what it refuses, and
# the disc it writes as read back from the image (label, modes, owners, names, checksums, the
# autostart guess) and the launcher's current directory and environment.
set -euo pipefail
source=$1 build=$2
scratch=$(mktemp -d "${TMPDIR:-/tmp}/orvane-publish-test.XXXXXX")
trap 'chmod -R u+w "$scratch"; rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
publish() { "$source/tools/publish" --viewer "$scratch/viewer" "$@"; }
refused() { # the command fails, saying why
    local out; out=$(publish "$@" "$scratch/x.iso" 2>&1) && fail "accepted $*"
    grep -q "$expect" <<<"$out" || fail "the refusal of $* does not say '$expect': $out"
}
mkdir -p "$scratch/viewer/orvane-linux" "$scratch/empty" "$scratch/in dir"
printf '#!/bin/sh\necho "$PWD|$LD_LIBRARY_PATH|$QT_PLUGIN_PATH|$QT_QPA_PLATFORM"\n' \
    >"$scratch/viewer/orvane-linux/run" && chmod +x "$scratch/viewer/orvane-linux/run"
cp -r "$build/sample-cd" "$scratch/cd" && chmod -R go-rwx,a-x+X "$scratch/cd"
[ "$(id -u)" != 0 ] || chown -R 1234:1234 "$scratch/cd"
expect="no images/" refused "$scratch/empty"
touch "$scratch/cd/AutoRun.sh" && expect="AutoRun.sh is named like" refused "$scratch/cd"
rm "$scratch/cd/AutoRun.sh" && truncate -s 737000000 "$scratch/cd/images/huge.bmp"
expect="more than an 80-minute CD-R" refused "$scratch/cd"
rm "$scratch/cd/images/huge.bmp"

publish --label "SAMPLE CD" "$scratch/cd" "$scratch/in dir/cd.iso" | grep -q "room left" ||
    fail "no room left reported"
iso() { xorriso -no_rc -md5 on -indev "$scratch/in dir/cd.iso" "$@" 2>/dev/null; }
iso -check_md5 FAILURE -- >/dev/null || fail "no session MD5 to check a burn by"
iso -pvd_info | grep -qx "Volume Id    : SAMPLE CD" || fail "no volume label"
iso -rockridge off -joliet on -ls /images | grep -q "'shapes'" || fail "no Joliet names"
odd=$(iso -find / -exec lsdl -- | awk '{print $1, $3, $4}' | sort -u |
    grep -vE '^(-r--r--r--|-r-xr-xr-x|dr-xr-xr-x|lrwxrwxrwx) 0 0$') && fail "modes, owners: $odd"
disc="$scratch/in dir/disc"
iso -osirrox on -extract / "$disc"
grep -rlF -e "$(realpath "$build")" -e "$(realpath "$source")" "$disc" && fail "names the build"
/usr/bin/python3 -c 'import sys; from gi.repository import Gio as G; print(
    G.content_type_guess_for_tree(G.File.new_for_path(sys.argv[1])))' "$disc" |
    grep -q x-content/unix-software || fail "GIO does not take the disc for software"
seen=$(cd / && LD_LIBRARY_PATH=/x QT_PLUGIN_PATH=/y QT_QPA_PLATFORM=xcb "$disc/autorun.sh")
[ "$seen" = "$disc|||xcb" ] || fail "the launcher runs the viewer as '$seen'"
echo "PASS"
