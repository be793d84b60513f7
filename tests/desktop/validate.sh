#!/usr/bin/env bash
# The installed desktop integration: the desktop entry and the AppStream metainfo pass
# their validators, the entry starts the installed program with the installed icon,
# the icon comes as SVG and as PNGs of 16 ... 256 pixels, and the metainfo's release is
# the project's version.
#   validate.sh PREFIX VERSION
source "$(dirname "$0")/desktop_lib.sh"
prefix=$(realpath "$1")
version=$2
entry="$prefix/share/applications/chorvane.desktop"
metainfo="$prefix/share/metainfo/org.chorvane.Chorvane.metainfo.xml"
[ -f "$entry" ] || fail "no desktop entry"
[ -f "$metainfo" ] || fail "no metainfo"

desktop-file-validate "$entry" || fail "desktop-file-validate: $entry"
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli validate: $metainfo"

value() { sed -n "s/^$1=//p" "$entry" | head -n1; }
[[ "$(value Categories)" == AudioVideo\;Audio\;Recorder\;* ]] || fail "Categories=$(value Categories)"
exec_program=$(value Exec | cut -d' ' -f1)
[ -x "$prefix/bin/$exec_program" ] || fail "Exec names $exec_program, which is not in bin/"
icon=$(value Icon)
[ -f "$prefix/share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "no scalable icon $icon.svg"
for size in 16 32 48 64 128 256; do
  png="$prefix/share/icons/hicolor/${size}x${size}/apps/$icon.png"
  [ -f "$png" ] || fail "no $png"
  # The PNG header: the signature, then IHDR with the width and height (big-endian).
  read -r w h < <(od -An -tu1 -j16 -N8 "$png" | awk '{ print $1*16777216 + $2*65536 + $3*256 + $4, $5*16777216 + $6*65536 + $7*256 + $8 }')
  [ "$w" -eq "$size" ] && [ "$h" -eq "$size" ] || fail "$png is ${w}x$h, not ${size}x$size"
done

grep -q "<launchable type=\"desktop-id\">chorvane.desktop</launchable>" "$metainfo" || fail "the metainfo does not launch chorvane.desktop"
grep -q "<release version=\"$version\"" "$metainfo" || fail "the metainfo has no release $version"
grep -q '<screenshot type="default">' "$metainfo" || fail "the metainfo has no default screenshot"
grep -q "<binary>$exec_program</binary>" "$metainfo" || fail "the metainfo does not provide $exec_program"
echo "desktop entry, metainfo and icons of $version are valid"
