#!/usr/bin/env bash
# The installed program, headless, through a whole take for a fresh user:
# - it starts from <prefix>/bin without LD_LIBRARY_PATH (RPATH) and loads its components;
# - its program folder is $XDG_DATA_HOME/chorvane/: config.ini is read there (a bit rate
#   that is not the default) and history.dat is written there;
# - the recording lands in $HOME/Music/Chorvane, the settings' default;
# - nothing is written under the prefix.
# Every file under the prefix that the program opened is listed in WORK/opened-files
# for the package test.
#   installed_take.sh PREFIX WORK
source "$(dirname "$0")/desktop_lib.sh"
prefix=$(realpath "$1")
work=$2
rm -rf "$work"
mkdir -p "$work"
new_user "$work"

mkdir -p "$XDG_DATA_HOME/chorvane"
printf '[mp3]\nbitrate=11\n' > "$XDG_DATA_HOME/chorvane/config.ini"  # 224 kbit/s
song="$user/Short Song"
make_song "$song" 3
before=$(files_under "$prefix" | md5sum)

set +e
# One trace file per thread (-ff), so that no call is split across lines.
timeout 120 strace -ff -qq --seccomp-bpf -e trace=openat,open,execve -o "$work/strace" \
  "$prefix/bin/Chorvane" --sing --exit-after-take "$song.mp3" "$song.lrc" > "$work/program.log" 2>&1
status=$?
set -e
cat "$work/program.log"
[ "$status" -eq 0 ] || fail "the installed program ended with $status (124: it did not finish the take in time)"

music="$HOME/Music/Chorvane"
[ -d "$music" ] || fail "no $music"
mapfile -t takes < <(ls "$music")
[ "${#takes[@]}" -eq 1 ] || fail "expected one recording in $music, found: ${takes[*]}"
take=${takes[0]}
[[ "$take" =~ ^\[[0-9]{4}-[0-9]{2}-[0-9]{2}\]\[[0-9]{2}-[0-9]{2}-[0-9]{2}\]Short\ Song\.mp3$ ]] || fail "unexpected name: $take"
seconds=$(soxi -D "$music/$take")
# The whole song (a loaded machine may stretch the file; the take ended by itself, or the
# program would not have closed).
awk -v s="$seconds" 'BEGIN { exit !(s >= 2.9) }' || fail "the recording lasts $seconds s, less than the song's 3 s"
rms=$(sox "$music/$take" -n stat 2>&1 | awk '/RMS +amplitude/ { print $3 }')
awk -v r="$rms" 'BEGIN { exit !(r > 0.05) }' || fail "the recording is silent (RMS $rms)"
file -b "$music/$take" | grep -q '224 kbps' || fail "not at config.ini's bit rate: $(file -b "$music/$take")"

history="$XDG_DATA_HOME/chorvane/history.dat"
[ -s "$history" ] || fail "no history.dat in $XDG_DATA_HOME/chorvane"
grep -aqF "$music/$take" "$history" || fail "history.dat does not list $music/$take"
[ "$(files_under "$prefix" | md5sum)" = "$before" ] || fail "the program wrote under the prefix"
[ ! -e "$HOME/.local/share/chorvane" ] || fail "a program folder outside XDG_DATA_HOME"

# Files under the prefix that the program opened (successfully), relative to the prefix.
grep -ohE '(open[a-z]*|execve)\([^"]*"[^"]*".*\) = [0-9]+$' "$work"/strace.* | sed 's/^[^"]*"\([^"]*\)".*/\1/' |
  while read -r path; do
    real=$(realpath -m "$path")
    case "$real" in "$prefix"/*) [ -f "$real" ] && echo "${real#"$prefix"/}" ;; esac
  done | LC_ALL=C sort -u > "$work/opened-files"
grep -qx 'lib/chorvane/libNimAudioRecorder.so' "$work/opened-files" || fail "the components were not loaded from lib/chorvane"
echo "opened under the prefix:"
sed 's/^/  /' "$work/opened-files"
echo "recorded $music/$take: $seconds s, RMS $rms"
