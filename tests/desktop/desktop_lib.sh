# Shared by the desktop tests (sourced): failing with a message, a fresh user for each
# run of the installed program, and generated songs.
set -euo pipefail

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# A new user in a folder of its own under $1: HOME, the XDG folders and a runtime folder,
# no user-dirs.dirs (so the Music folder is $HOME/Music), and no LD_LIBRARY_PATH: the
# installed program must find its libraries by itself.
new_user() {
  user=$(mktemp -d "$1/user.XXXXXX")
  mkdir -p "$user/home" "$user/runtime"
  chmod 700 "$user/runtime"
  export HOME="$user/home" XDG_DATA_HOME="$user/data" XDG_CONFIG_HOME="$user/home/.config"
  export XDG_CACHE_HOME="$user/home/.cache" XDG_RUNTIME_DIR="$user/runtime"
  export QT_QPA_PLATFORM=offscreen
  unset LD_LIBRARY_PATH
  # In the sanitizer build: LeakSanitizer cannot run under strace, and these runs test
  # the layout; leaks are the in-process tests' concern.
  export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
}

# make_song PATH-WITHOUT-EXTENSION SECONDS: an MP3 (440 Hz left, 660 Hz right) and its LRC file.
make_song() {
  sox -n -r 44100 -c 2 "$1.wav" synth "$2" sine 440 sine 660 gain -6
  lame --quiet -b 128 "$1.wav" "$1.mp3"
  rm -f "$1.wav"
  printf '[00:00.20]First line\n[00:01.20]Second line\n' > "$1.lrc"
}

# files_under DIR: the regular files under DIR, relative to it, sorted.
files_under() {
  (cd "$1" && find . -type f -printf '%P\n' | LC_ALL=C sort)
}
