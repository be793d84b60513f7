#!/usr/bin/env bash
# The .deb that CPack makes of this build (as scripts/package does):
# - its files are exactly the install tree's, under /usr;
# - it holds every file under the prefix that the installed program opened in a take
#   (installed_take.sh listed them);
# - every data folder of the build tree (the portable program folder) is installed;
# - its dependencies come from dpkg-shlibdeps and name what is loaded by name at run time;
# - unpacked, its tree passes appstreamcli validate-tree and its program starts (RPATH).
#   package_contents.sh BUILD-DIR PREFIX OPENED-FILES WORK
source "$(dirname "$0")/desktop_lib.sh"
build=$(realpath "$1")
prefix=$(realpath "$2")
opened=$3
work=$4
rm -rf "$work"
mkdir -p "$work"

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work" > "$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; fail "cpack failed"; }
deb=$(find "$work" -maxdepth 1 -name 'chorvane_*.deb' | head -n1)
[ -n "$deb" ] || fail "cpack made no chorvane_*.deb"

dpkg-deb -c "$deb" | awk '$1 ~ /^-/ { sub(/^[^.]*\.\/usr\//, ""); print }' | LC_ALL=C sort > "$work/deb-files"
files_under "$prefix" > "$work/install-files"
diff -u "$work/install-files" "$work/deb-files" || fail "the .deb's files differ from the install tree's"

[ -s "$opened" ] || fail "no list of opened files (the installed take did not run)"
missing=$(LC_ALL=C comm -23 "$opened" "$work/deb-files")
[ -z "$missing" ] || fail "the program opened files the .deb lacks: $missing"

for dir in "$build"/bin/*/; do
  name=$(basename "$dir")
  [ "$name" = my_songs ] && continue  # recordings of a build-tree run, not data
  while IFS= read -r f; do
    grep -qxF "share/chorvane/$name/$f" "$work/deb-files" || fail "bin/$name/$f of the build tree is not installed"
  done < <(files_under "$dir")
done

depends=$(dpkg-deb -f "$deb" Depends)
for wanted in libc6 libqt6core6 libqt6widgets6 libqt6network6 libpulse0 libasound2 libgstreamer1.0-0 \
  libmp3lame0 qt6-qpa-plugins gstreamer1.0-plugins-good gstreamer1.0-pulseaudio; do
  [[ ", $depends," == *", $wanted"[\ ,]* ]] || fail "Depends lacks $wanted: $depends"
done

mkdir -p "$work/root"
dpkg-deb -x "$deb" "$work/root"
appstreamcli validate-tree --no-net "$work/root" || fail "appstreamcli validate-tree of the unpacked .deb"
(unset LD_LIBRARY_PATH; QT_QPA_PLATFORM=offscreen "$work/root/usr/bin/Chorvane" --version) > "$work/version" 2>&1 ||
  { cat "$work/version"; fail "the unpacked program does not start"; }
grep -q "Chorvane $(dpkg-deb -f "$deb" Version | sed 's/-[^-]*$//')" "$work/version" || fail "version: $(cat "$work/version")"
echo "$(basename "$deb"): $(stat -c %s "$deb") bytes, $(wc -l < "$work/deb-files") files"
echo "Depends: $depends"
