#!/usr/bin/env bash
# The portable layout: the installed files unpacked flat into one folder, with
# language/ and a file named "portable" beside the executable. That folder is the
# program folder (config.ini read, history.dat written there) and recordings go to
# its my_songs/; the user's data folder and Music folder are not touched.
#   portable_take.sh PREFIX WORK
source "$(dirname "$0")/desktop_lib.sh"
prefix=$(realpath "$1")
work=$2
rm -rf "$work"
mkdir -p "$work"
new_user "$work"

folder="$user/Chorvane Portable"
mkdir -p "$folder"
cp "$prefix/bin/Chorvane" "$prefix"/lib/chorvane/*.so "$folder/"
cp -r "$prefix"/share/chorvane/* "$folder/"
[ -d "$folder/language" ] || fail "no language folder to unpack"
touch "$folder/portable"
printf '[mp3]\nbitrate=11\n' > "$folder/config.ini"  # 224 kbit/s
song="$user/Short Song"
make_song "$song" 2

set +e
(cd "$user" && timeout 120 "$folder/Chorvane" --sing --exit-after-take "$song.mp3" "$song.lrc") > "$work/program.log" 2>&1
status=$?
set -e
cat "$work/program.log"
[ "$status" -eq 0 ] || fail "the portable program ended with $status (124: it did not finish the take in time)"

mapfile -t takes < <(ls "$folder/my_songs" 2>/dev/null)
[ "${#takes[@]}" -eq 1 ] || fail "expected one recording in $folder/my_songs, found: ${takes[*]:-none}"
file -b "$folder/my_songs/${takes[0]}" | grep -q '224 kbps' || fail "not at config.ini's bit rate"
[ -s "$folder/history.dat" ] || fail "no history.dat in the portable folder"
grep -aqF "$folder/my_songs/${takes[0]}" "$folder/history.dat" || fail "history.dat does not list the recording"
[ ! -e "$XDG_DATA_HOME/chorvane" ] || fail "the portable program used $XDG_DATA_HOME/chorvane"
[ ! -e "$HOME/Music" ] || fail "the portable program recorded into $HOME/Music"
echo "recorded $folder/my_songs/${takes[0]}"
