#!/usr/bin/env bash
# The built program as a user runs it, on a virtual display: started on an empty
# program folder with the recording MIDI device, given a file by a second start,
# quit through its window (Alt+F4, then Enter on "Quit Reelquill ?"; both windows
# carry their own titles), and judged by
# the files it leaves: the settings file with the file in its recent list, the trash
# and the filer. A file handed over while the quit question is up opens, once, in the
# program that comes after it. Then a tune is deleted and the file saved before the program is
# killed: the tune must be in the trash on disk. Then a tune is deleted and the
# program told to end by SIGTERM: it ends by itself, the tune is in the trash, the
# file is as it was (nobody said to save it) and the settings are written. Two
# programs on one program folder save and end without losing each other's trash,
# one after the other and at the same moment.
# Last, started again, slowly (a large trash), by two starts racing with a file each,
# handed a file it has open together with a new one, handed files while it is busy
# opening a tune of one long line, and handed 60 files by 60 starts at once while it
# is stopped.
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
starts=()
finish() {
  for running in $pid "${starts[@]}"; do
    if kill -0 "$running" 2>/dev/null; then kill -CONT "$running"; kill "$running"; fi
  done
  rm -rf "$folder"
}
trap finish EXIT

fail() {
  echo "black-box run FAILED: $*" >&2
  echo "--- the program's error output:" >&2
  cat "$folder/program.err" >&2 || true
  exit 1
}

# Starts the program on a file and waits for its window and the file; sets pid and
# main (the window of this very program, should another run beside it).
start_on() {
  "$program" "$1" 2>>"$folder/program.err" &
  pid=$!
  main=$(timeout 20 xdotool search --all --sync --onlyvisible --pid "$pid" --name '^Reelquill 2$' | head -n 1) ||
    fail "the window of the program on $1 never showed"
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

# Quits the program through its window and checks that it ended well.
quit_program() {
  local window
  window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Reelquill 2$' | head -n 1) ||
    fail "no main window to close"
  xdotool windowfocus --sync "$window" key alt+F4
  question=$(timeout 20 xdotool search --sync --onlyvisible --name '^Confirm' | head -n 1) ||
    fail "closing the window asked no quit question"
  # Each window has its own title, nothing added to it.
  for named in "$window=Reelquill 2" "$question=Confirm"; do
    title=$(xdotool getwindowname "${named%%=*}")
    [ "$title" = "${named#*=}" ] || fail "a window titled \"$title\" instead of \"${named#*=}\""
  done
  xdotool windowfocus --sync "$question" key Return
  wait_for bash -c "! kill -0 $pid 2>/dev/null" || fail "the program did not end after the quit question"
  status=0
  wait "$pid" || status=$?
  pid=
  [ "$status" -eq 0 ] || fail "the program ended with status $status"
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
timeout 20 xdotool search --sync --onlyvisible --name '^Reelquill 2$' >/dev/null || fail "the main window never showed"

# A second start hands the file over and ends by itself.
timeout 20 "$program" "$tunes" 2>>"$folder/program.err" || fail "the second start did not end well"
wait_for grep -qxF "$tunes" "$RQ_OPENED_LOG" 2>/dev/null || fail "the file handed over was not opened"

quit_program

settings=$RQ_PROGRAM_DIR/RQUILL20.INI
[ -f "$settings" ] || fail "no settings file"
grep -qxF "Item_0=$tunes" "$settings" || fail "the file is not first in the recent list"
[ "$(head -n 1 "$RQ_PROGRAM_DIR/trash")" = "% *** Reelquill 2 trash ***" ] || fail "no trash"
[ "$(head -n 1 "$RQ_PROGRAM_DIR/filer")" = "% *** Reelquill 2 user file ***" ] || fail "no filer"
[ -f "$RQ_MIDI_RECORD" ] || fail "the recording MIDI device was never opened"

# A start while "Quit Reelquill ?" is up ends at once (its file is taken); Yes ends the
# program, and the program that comes after it opens the file, once. One program runs.
quitting=$folder/quitting.abc
printf 'X:1\nT:The Humours of Tulla\nR:reel\nK:D\nAFDF ABde|\n' >"$quitting"
: >"$RQ_OPENED_LOG"
start_on "$tunes"
xdotool windowfocus --sync "$main" key alt+F4
question=$(timeout 20 xdotool search --sync --onlyvisible --name '^Confirm' | head -n 1) ||
  fail "closing the window asked no quit question"
timeout 20 "$program" "$quitting" 2>>"$folder/program.err" || fail "the start during the quit question did not end well"
sleep 0.5  # the file waits for the answer
grep -qxF "$quitting" "$RQ_OPENED_LOG" && fail "the file handed over opened under the quit question"
xdotool windowfocus --sync "$question" key Return
wait_for bash -c "! kill -0 $pid 2>/dev/null" || fail "the program did not end after the quit question"
wait "$pid" || fail "the program ended with an error after the quit question"
pid=
wait_for grep -qxF "$quitting" "$RQ_OPENED_LOG" || fail "the file handed over during the quit question was dropped"
sleep 1
windows=$(xdotool search --onlyvisible --name '^Reelquill 2$' 2>/dev/null) || fail "no program opened the file handed over"
programs=$(for window in $windows; do xdotool getwindowpid "$window"; done | sort -u)
[ "$(wc -l <<<"$programs")" -eq 1 ] || fail "$(wc -l <<<"$programs") programs run after the quit"
[ "$(grep -cxF "$quitting" "$RQ_OPENED_LOG")" -eq 1 ] || fail "the file handed over during the quit question opened twice"
pid=$programs
kill -TERM "$pid"
wait_for bash -c "! kill -0 $pid 2>/dev/null" || fail "the program after the quit did not end on SIGTERM"
pid=

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

# Two programs on one program folder (each with a channel of its own, as two desktops
# sharing a home): each deletes a tune and saves after both have read the trash, then
# both end by SIGTERM. Neither rewrites the trash from its own memory alone: both
# tunes are in it at every step.
apples=$folder/apples.abc
bananas=$folder/bananas.abc
printf 'X:1\nT:Apple Reel\nK:D\nFA (3AAA BAFA|\n\nX:2\nT:Zulu Reel\nK:D\nFAAB AFED|\n' >"$apples"
printf 'X:1\nT:Banana Jig\nK:G\nGAG GAB|\n\nX:2\nT:Zulu Jig\nK:G\nGAB c2d|\n' >"$bananas"
RQ_INSTANCE_NAME=$folder/apples.sock start_on "$apples"
apples_pid=$pid apples_window=$main
RQ_INSTANCE_NAME=$folder/bananas.sock start_on "$bananas"
bananas_pid=$pid bananas_window=$main
for side in "$apples_window $apples Apple Reel" "$bananas_window $bananas Banana Jig"; do
  read -r window file title <<<"$side"
  main=$window
  # Both windows stand at the same place: the one to click must be on top.
  xdotool windowraise "$window"
  delete_first_tune
  xdotool windowfocus --sync "$window" key ctrl+s
  wait_for bash -c "! grep -q 'T:$title' '$file'" || fail "the deletion of $title was not saved"
done
for title in "Apple Reel" "Banana Jig"; do
  grep -qxF "T:$title" "$RQ_PROGRAM_DIR/trash" || fail "two programs saving lost $title from the trash"
done
kill -TERM "$apples_pid" "$bananas_pid"
for ended in "$apples_pid" "$bananas_pid"; do
  wait_for bash -c "! kill -0 $ended 2>/dev/null" || fail "a program of two did not end on SIGTERM"
  wait "$ended" || fail "a program of two ended with an error on SIGTERM"
done
for title in "Apple Reel" "Banana Jig"; do
  grep -qxF "T:$title" "$RQ_PROGRAM_DIR/trash" || fail "two programs ending lost $title from the trash"
done

# Two programs on one program folder save the trash at the same moment: each deletes
# a tune, then both are told to end by SIGTERM at once, or one saves with Ctrl+S as
# the other is told to end. Both deleted tunes are in the trash. RQ_BLACKBOX_SAVE_ROUNDS
# asks for more rounds of both; every tune lost is counted before the run fails.
rounds=${RQ_BLACKBOX_SAVE_ROUNDS:-1}
lost=0
for round in $(seq "$rounds"); do
  for how in both-end one-saves; do
    apples=$folder/apples-$round-$how.abc
    bananas=$folder/bananas-$round-$how.abc
    printf 'X:1\nT:Apple %s %s\nK:D\nFA (3AAA BAFA|\n\nX:2\nT:Zulu Reel\nK:D\nFAAB AFED|\n' "$round" "$how" >"$apples"
    printf 'X:1\nT:Banana %s %s\nK:G\nGAG GAB|\n\nX:2\nT:Zulu Jig\nK:G\nGAB c2d|\n' "$round" "$how" >"$bananas"
    RQ_INSTANCE_NAME=$folder/apples.sock start_on "$apples"
    apples_pid=$pid apples_window=$main
    RQ_INSTANCE_NAME=$folder/bananas.sock start_on "$bananas"
    bananas_pid=$pid bananas_window=$main
    for window in "$apples_window" "$bananas_window"; do
      main=$window
      xdotool windowraise "$window"
      delete_first_tune
    done
    sleep 1  # both keys are handled before the saves: nothing on disk shows a deletion yet
    if [ "$how" = both-end ]; then
      kill -TERM "$apples_pid" "$bananas_pid"
    else
      xdotool key ctrl+s &  # the focus is still on the second program's window
      kill -TERM "$apples_pid"
      wait $!
      wait_for bash -c "! grep -q 'T:Banana $round $how' '$bananas'" || fail "the deletion in the saving program was not saved"
      kill -TERM "$bananas_pid"
    fi
    for ended in "$apples_pid" "$bananas_pid"; do
      wait_for bash -c "! kill -0 $ended 2>/dev/null" || fail "a program of two saving at once did not end"
      wait "$ended" || fail "a program of two saving at once ended with an error"
    done
    pid=
    for title in "Apple $round $how" "Banana $round $how"; do
      if ! grep -qxF "T:$title" "$RQ_PROGRAM_DIR/trash"; then
        lost=$((lost + 1))
        echo "two programs saving at once lost $title from the trash" >&2
      fi
    done
  done
done
[ "$lost" -eq 0 ] || fail "two programs saving at once lost $lost of $((rounds * 4)) tunes"
[ "$rounds" -eq 1 ] || echo "two programs saving at once: $((rounds * 4)) tunes deleted in $((rounds * 2)) runs, $lost lost"

# A start that takes a while: the trash holds 20,000 tunes.
{
  echo "% *** Reelquill 2 trash ***"
  for i in $(seq 20000); do printf '\nX:%d\nT:Thrown away %d\nM:6/8\nL:1/8\nK:G\nGAB c2d|\n' "$i" "$i"; done
} >"$RQ_PROGRAM_DIR/trash"
jigs=$folder/jigs.abc
hornpipes=$folder/hornpipes.abc
slides=$folder/slides.abc
printf 'X:1\nT:The Kesh\nR:jig\nM:6/8\nL:1/8\nK:G\nGAG GAB|\n' >"$jigs"
printf 'X:1\nT:The Boys of Bluehill\nR:hornpipe\nM:4/4\nL:1/8\nK:D\nFE|DFAF|\n' >"$hornpipes"
printf 'X:1\nT:Dennis Murphy\nR:slide\nM:12/8\nL:1/8\nK:D\nA2d d2e|\n' >"$slides"
: >"$RQ_OPENED_LOG"

# Two starts racing, each with a file: one runs, the other hands its file over while
# the first is still starting, and both files open.
"$program" "$jigs" 2>>"$folder/program.err" &
first=$!
"$program" "$hornpipes" 2>>"$folder/program.err" &
second=$!
wait_for grep -qxF "$jigs" "$RQ_OPENED_LOG" 2>/dev/null || fail "the racing start's own file was not opened"
wait_for grep -qxF "$hornpipes" "$RQ_OPENED_LOG" 2>/dev/null ||
  fail "the file handed over during start-up was not opened"
# Exactly one of them still runs.
if kill -0 "$first" 2>/dev/null; then pid=$first other=$second; else pid=$second other=$first; fi
wait_for bash -c "! kill -0 $other 2>/dev/null" || fail "both racing starts still run"
wait "$other" || fail "the start that handed its file over ended with an error"

# A file already open and a new one: the program says the first is open, then opens the
# second, and goes on running.
timeout 20 "$program" "$jigs" "$slides" 2>>"$folder/program.err" || fail "the third start did not end well"
warning=$(timeout 20 xdotool search --sync --onlyvisible --name '^Warning' | head -n 1) ||
  fail "a file already open brought no message"
xdotool windowfocus --sync "$warning" key Return
wait_for grep -qxF "$slides" "$RQ_OPENED_LOG" 2>/dev/null || fail "the file after the one already open was not opened"
kill -0 "$pid" 2>/dev/null || fail "the program died after the message"
[ "$(grep -cxF "$jigs" "$RQ_OPENED_LOG")" -eq 1 ] || fail "a file already open was opened again"

# A start while the program is busy (it opens a tune of one 5 MB line): the start that
# hands over the long file is answered before the open begins. The open keeps the
# window answering, so the program is stopped meanwhile to be a program that cannot
# answer: a start then says the program is busy, waits and ends by itself once its
# file is taken. One program throughout (a second would open its own trash), each
# file opened once.
long=$folder/long.abc
polkas=$folder/polkas.abc
{
  printf 'X:1\nT:One long line\nM:4/4\nL:1/8\nK:D\n'
  awk 'BEGIN { for (i = 0; i < 500000; i++) printf "ABcd efga|"; print "" }'
} >"$long"
printf 'X:1\nT:Britches Full of Stitches\nR:polka\nM:2/4\nL:1/8\nK:A\nAF ED|\n' >"$polkas"
: >"$RQ_OPENED_LOG"
timeout 20 "$program" "$long" 2>>"$folder/program.err" || fail "the start with a long file was not answered at once"
kill -STOP "$pid"
"$program" "$polkas" 2>>"$folder/program.err" &
during=$!
busy=0
timeout 20 xdotool search --sync --onlyvisible --name '^Information$' >/dev/null || busy=1
kill -CONT "$pid"
[ "$busy" -eq 0 ] || fail "the start during a long open did not say the program is busy"
for _ in $(seq 1200); do kill -0 "$during" 2>/dev/null || break; sleep 0.1; done
kill -0 "$during" 2>/dev/null && fail "the start during a long open still runs after two minutes"
wait "$during" || fail "the start during a long open ended with an error"
wait_for grep -qxF "$polkas" "$RQ_OPENED_LOG" || fail "the file handed over during a long open was not opened"
[ "$(grep -cxF "$long" "$RQ_OPENED_LOG")" -eq 1 ] || fail "the long file was not opened once"
[ "$(grep -cxF "$polkas" "$RQ_OPENED_LOG")" -eq 1 ] || fail "the file handed over during a long open was not opened once"
grep -qxF "$RQ_PROGRAM_DIR/trash" "$RQ_OPENED_LOG" && fail "a start during a long open ran as a second program"
kill -0 "$pid" 2>/dev/null || fail "the program died after the long open"

# A burst, as a desktop makes that opens many selected files one start per file: 60
# starts at once, each with a file, at a stopped program. Past about 50 its queue of
# waiting connections is full; every start waits (and says the program is busy), none
# runs as a second program, and once the program goes on it opens every file once.
burst=$folder/burst
mkdir "$burst"
for i in $(seq 60); do printf 'X:1\nT:Burst tune %d\nK:D\nFAAB AFED|\n' "$i" >"$burst/tune$i.abc"; done
: >"$RQ_OPENED_LOG"
kill -STOP "$pid"
for i in $(seq 60); do
  "$program" "$burst/tune$i.abc" 2>>"$folder/program.err" &
  starts+=($!)
done
notes() { [ "$(xdotool search --onlyvisible --name '^Information$' 2>/dev/null | wc -l)" -ge 60 ]; }
wait_for notes || true
sleep 3  # each start has waited longer than a start ever gave up after
kill -CONT "$pid"
for _ in $(seq 600); do
  running=0
  for start in "${starts[@]}"; do kill -0 "$start" 2>/dev/null && running=$((running + 1)); done
  [ "$running" -eq 0 ] && break
  sleep 0.1
done
grep -qxF "$RQ_PROGRAM_DIR/trash" "$RQ_OPENED_LOG" && fail "a start in a burst ran as a second program"
[ "$running" -eq 0 ] || fail "$running of 60 starts in a burst still run after a minute"
for start in "${starts[@]}"; do wait "$start" || fail "a start in a burst ended with an error"; done
for i in $(seq 60); do
  wait_for grep -qxF "$burst/tune$i.abc" "$RQ_OPENED_LOG" || fail "tune$i.abc of the burst was not opened"
done
[ "$(grep -c "^$burst/" "$RQ_OPENED_LOG")" -eq 60 ] || fail "a file of the burst was opened twice"
kill -0 "$pid" 2>/dev/null || fail "the program died after the burst"
quit_program

echo "black-box run: the program started, opened the files handed over (also while starting, after" \
  "a file already open, and while busy), quit and left its files; a file handed over during the quit" \
  "question opened once in the program after it; a saved deletion survived a kill and" \
  "SIGTERM ended it in order; two programs on one folder kept each other's deleted tunes, also saving at" \
  "the same moment; a burst of 60 starts at a stopped program made no second program and opened every file once"
