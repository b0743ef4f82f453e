#!/usr/bin/env bash
# The built program as a user runs it, on a virtual display: started on an empty
# program folder with the recording MIDI device, given a file by a second start,
# quit through its window (Alt+F4, then Enter on "Quit Reelquill ?"), and judged by
# the files it leaves: the settings file with the file in its recent list, the trash
# and the filer. Then a tune is deleted and the file saved before the program is
# killed: the tune must be in the trash on disk. Last, a tune is deleted and the
# program told to end by SIGTERM: it ends by itself, the tune is in the trash, the
# file is as it was (nobody said to save it) and the settings are written.
# Run after a build: bash tests/e2e/blackbox.sh
set -euo pipefail
cd "$(dirname "$0")/../.."

if [ "${1-}" != --on-display ]; then
  bash scripts/setup.sh  # xvfb, xauth and xdotool are among its packages
  exec xvfb-run -a -s '-screen 0 1280x1024x24' bash "$PWD/tests/e2e/blackbox.sh" --on-display
fi

program=$PWD/build/bin/reelquill
folder=$(mktemp -d)
pid=
finish() {
  if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then kill "$pid"; fi
  rm -rf "$folder"
}
trap finish EXIT

fail() {
  echo "black-box run FAILED: $*" >&2
  echo "--- the program's error output:" >&2
  cat "$folder/program.err" >&2 || true
  exit 1
}

# Starts the program on a file and waits for its window and the file.
start_on() {
  "$program" "$1" 2>>"$folder/program.err" &
  pid=$!
  main=$(timeout 20 xdotool search --sync --onlyvisible --name '^Reelquill 2$' | head -n 1) ||
    fail "the main window never showed"
  wait_for grep -qxF "$1" "$RQ_OPENED_LOG" 2>/dev/null || fail "$1 was not opened"
}

# Deletes the first tune of the list shown (sorted by title): a click on its row at
# the top left of the work area, then Delete.
delete_first_tune() {
  xdotool mousemove --window "$main" 60 202 click 1
  xdotool windowfocus --sync "$main" key Delete
}

# Waits up to 20 s for a command to succeed.
wait_for() {
  for _ in $(seq 200); do
    "$@" && return 0
    sleep 0.1
  done
  return 1
}

export RQ_PROGRAM_DIR=$folder/program
export RQ_MIDI_RECORD=$folder/midi.log
export RQ_INSTANCE_NAME=$folder/instance.sock
export RQ_OPENED_LOG=$folder/opened.log
mkdir "$RQ_PROGRAM_DIR"
tunes="$folder/Reels (2).abc"
printf 'X:1\nT:The Silver Spear\nR:reel\nM:4/4\nL:1/8\nK:D\nFA (3AAA BAFA|dAFA BEEF|\n' >"$tunes"

"$program" 2>"$folder/program.err" &
pid=$!
main=$(timeout 20 xdotool search --sync --onlyvisible --name '^Reelquill 2$' | head -n 1) ||
  fail "the main window never showed"

# A second start hands the file over and ends by itself.
timeout 20 "$program" "$tunes" 2>>"$folder/program.err" || fail "the second start did not end well"
wait_for grep -qxF "$tunes" "$RQ_OPENED_LOG" 2>/dev/null || fail "the file handed over was not opened"

xdotool windowfocus --sync "$main" key alt+F4
question=$(timeout 20 xdotool search --sync --onlyvisible --name '^Confirm' | head -n 1) ||
  fail "closing the window asked no quit question"
xdotool windowfocus --sync "$question" key Return
wait_for bash -c "! kill -0 $pid 2>/dev/null" || fail "the program did not end after the quit question"
status=0
wait "$pid" || status=$?
pid=
[ "$status" -eq 0 ] || fail "the program ended with status $status"

settings=$RQ_PROGRAM_DIR/RQUILL20.INI
[ -f "$settings" ] || fail "no settings file"
grep -qxF "Item_0=$tunes" "$settings" || fail "the file is not first in the recent list"
[ "$(head -n 1 "$RQ_PROGRAM_DIR/trash")" = "% *** Reelquill 2 trash ***" ] || fail "no trash"
[ "$(head -n 1 "$RQ_PROGRAM_DIR/filer")" = "% *** Reelquill 2 user file ***" ] || fail "no filer"
[ -f "$RQ_MIDI_RECORD" ] || fail "the recording MIDI device was never opened"

# A deleted tune stays in a file on disk: a save of its file writes the trash first.
reels=$folder/reels.abc
printf 'X:1\nT:The Silver Spear\nK:D\nFA (3AAA BAFA|\n\nX:2\nT:The Maid Behind the Bar\nK:D\nFAAB AFED|\n' >"$reels"
start_on "$reels"
delete_first_tune
xdotool windowfocus --sync "$main" key ctrl+s
wait_for bash -c "! grep -q 'T:The Maid Behind the Bar' '$reels'" || fail "the deletion was not saved"
kill -KILL "$pid"
wait "$pid" 2>/dev/null || true
pid=
grep -qxF "T:The Maid Behind the Bar" "$RQ_PROGRAM_DIR/trash" || fail "the tune deleted and saved is in no file"

# SIGTERM ends the program in order: trash and settings written, the user's file not.
rm -f "$settings"
start_on "$reels"
delete_first_tune
sleep 1  # the key is handled before the signal: nothing on disk shows a deletion yet
kill -TERM "$pid"
wait_for bash -c "! kill -0 $pid 2>/dev/null" || fail "the program did not end on SIGTERM"
status=0
wait "$pid" || status=$?
pid=
[ "$status" -eq 0 ] || fail "the program ended with status $status on SIGTERM"
grep -qxF "T:The Silver Spear" "$RQ_PROGRAM_DIR/trash" || fail "SIGTERM lost the trash"
grep -qxF "T:The Silver Spear" "$reels" || fail "SIGTERM saved the user's file unasked"
grep -qxF "Item_0=$reels" "$settings" || fail "SIGTERM left no settings"
echo "black-box run: the program started, opened the file handed over, quit and left its files;" \
  "a saved deletion survived a kill and SIGTERM ended it in order"
