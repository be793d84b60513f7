#!/usr/bin/env bash
# One instance: with the installed program running, a second start hands over to it
# (the first window is brought to the front) and exits 0 without becoming a second
# program; the first keeps running. A start with another program folder is a program of its own.
#   second_start.sh PREFIX WORK
source "$(dirname "$0")/desktop_lib.sh"
prefix=$(realpath "$1")
work=$2
rm -rf "$work"
mkdir -p "$work"
new_user "$work"

first_pid=
cleanup() { [ -z "$first_pid" ] || kill "$first_pid" 2>/dev/null || true; }
trap cleanup EXIT

"$prefix/bin/Chorvane" > "$work/first.log" 2>&1 &
first_pid=$!
# The first program listens on its socket in the runtime folder.
for _ in $(seq 1 200); do
  socket=$(find "$XDG_RUNTIME_DIR" -maxdepth 1 -type s -name 'chorvane-*' | head -n1)
  [ -n "$socket" ] && break
  kill -0 "$first_pid" 2>/dev/null || { cat "$work/first.log"; fail "the first program ended at start"; }
  sleep 0.1
done
[ -n "$socket" ] || fail "the first program made no socket in $XDG_RUNTIME_DIR"

set +e
started=$(date +%s%N)
timeout 30 "$prefix/bin/Chorvane" > "$work/second.log" 2>&1
status=$?
elapsed_ms=$((($(date +%s%N) - started) / 1000000))
set -e
cat "$work/second.log"
[ "$status" -eq 0 ] || fail "the second start ended with $status, not 0"
kill -0 "$first_pid" 2>/dev/null || fail "the first program ended"
grep -q 'another start brought the window to the front' "$work/first.log" ||
  { cat "$work/first.log"; fail "the first program's window was not brought to the front"; }
[ "$(find "$XDG_RUNTIME_DIR" -maxdepth 1 -type s -name 'chorvane-*' | wc -l)" -eq 1 ] || fail "a second socket"

# Another program folder (another XDG_DATA_HOME) is another instance: it keeps running.
other="$work/other-data"
set +e
XDG_DATA_HOME="$other" timeout 5 "$prefix/bin/Chorvane" > "$work/other.log" 2>&1
other_status=$?
set -e
[ "$other_status" -eq 124 ] || { cat "$work/other.log"; fail "a program with another program folder did not keep running ($other_status)"; }
echo "second start handed over in $elapsed_ms ms and exited 0; the first still runs"
