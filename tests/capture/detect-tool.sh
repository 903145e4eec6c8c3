#!/usr/bin/env bash
# notara-detect against real renderings and hostile files:
#   detect-tool.sh <notara-detect> <Sound folder> <hostile wav folder>
# A melody of three piano samples is named note by note, and low piano
# samples after a little silence by their own pitch; every hostile file
# ends with exit status 1 and a "Can't ..." line, or is read (exit 0), never
# a crash; a FIFO is refused without waiting; wrong arguments get the usage.
# Rates outside 4000..384000 Hz are refused at once, ten minutes of legato
# are read in little memory and come out note by note, and running out of memory is told, never an abort.
set -uo pipefail
detect=$1 sound=$2 hostile=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
fail() { echo "FAIL: $*"; failed=1; }

sox "$sound/Piano/Piano-C3.wav" "$sound/Piano/Piano-A4.wav" "$sound/Piano/Piano-D#5.wav" \
  -r 22050 -c 2 "$work/melody.wav" || fail "sox could not join the samples"
if timeout 30 "$detect" "$work/melody.wav" >"$work/notes" 2>"$work/err"; then
  notes=$(awk '{print $3}' "$work/notes" | tr '\n' ' ')
  [ "$notes" = "48 69 75 " ] || fail "the melody gave notes '$notes', not '48 69 75 '"
  awk '$2 != -1 && $2 <= $1 {bad=1} END {exit bad}' "$work/notes" ||
    fail "a note ends before it starts: $(cat "$work/notes")"
else
  fail "the melody was refused: $(cat "$work/err")"
fi

# A low string after a little silence: a window just short of its period
# must not name it by a ripple a semitone sharp.
for sample in D#2:39 F#2:42; do
  name=${sample%%:*} note=${sample##*:}
  sox "$sound/Piano/Piano-$name.wav" "$work/low.wav" pad 0.3 0 vol 0.5 ||
    fail "sox could not pad Piano-$name"
  notes=$(timeout 30 "$detect" "$work/low.wav" 2>&1 | awk '{print $3}' | tr '\n' ' ')
  [ "$notes" = "$note " ] || fail "Piano-$name after silence gave notes '$notes', not '$note '"
done

for file in "$hostile"/*.wav "$work/missing.wav"; do
  timeout 30 "$detect" "$file" >"$work/out" 2>"$work/err"
  status=$?
  case $status in
    0) ;;
    1) grep -q "^Can't " "$work/err" || fail "$(basename "$file"): exit 1 without a Can't line: $(cat "$work/err")" ;;
    *) fail "$(basename "$file"): exit status $status: $(cat "$work/err")" ;;
  esac
done

# run_limited KB SECONDS FILE: the tool in at most KB of address space.
run_limited() {
  (ulimit -v "$1" && exec timeout "$2" "$detect" "$3") >"$work/out" 2>"$work/err"
}
limit_kb=100000  # far less than any of the files below would take whole

# A 1 Hz file would be interpolated to a thousand times its length, a 2 MHz
# one is no recording: both are refused before any conversion.
cp "$hostile/rate-1-hz.wav" "$work/rate-2-mhz.wav"
# The rate (2,000,000) and the bytes per second (4,000,000), little-endian.
printf '\x80\x84\x1e\x00\x00\x09\x3d\x00' |
  dd of="$work/rate-2-mhz.wav" bs=1 seek=24 conv=notrunc status=none
for file in "$hostile/rate-1-hz.wav" "$work/rate-2-mhz.wav"; do
  run_limited $limit_kb 5 "$file"
  status=$?
  [ $status -eq 1 ] && grep -q "^Can't .*rate of .* Hz is outside 4000 to 384000 Hz" "$work/err" ||
    fail "$(basename "$file"): exit status $status, not refused for its rate: $(cat "$work/err")"
done

# Ten minutes of A4 and C5 played legato, a second each, read and detected a
# block at a time: each tone is a note of its own.
sox -n -r 44100 -c 2 -b 16 "$work/pair.wav" synth 1 sine 440 : synth 1 sine 523.25 &&
  sox "$work/pair.wav" "$work/long.wav" repeat 299 || fail "sox could not make the long file"
if run_limited $limit_kb 120 "$work/long.wav"; then
  awk 'NR % 2 == 1 && $3 != 69 || NR % 2 == 0 && $3 != 72 {bad=1}
       ($1 - (NR - 1))^2 > 0.03^2 {bad=1}
       END {exit bad || NR != 600}' "$work/out" ||
    fail "the long legato gave $(wc -l <"$work/out") notes, not 600 of A4 and C5 in turn: $(head -5 "$work/out")"
else
  fail "the long file failed in $limit_kb KB: $(cat "$work/err")"
fi
rm -f "$work/long.wav" "$work/pair.wav"

# Too little memory for the detector: told as a failure, never an abort.
for kb in 10000 14000 18000 22000; do
  run_limited $kb 30 "$work/melody.wav"
  status=$?
  case $status in
    0) ;;
    1) grep -q "^Can't " "$work/err" || fail "$kb KB: exit 1 without a Can't line: $(cat "$work/err")" ;;
    *) fail "$kb KB: exit status $status: $(cat "$work/err")" ;;
  esac
done

mkfifo "$work/fifo"
timeout 10 "$detect" "$work/fifo" >/dev/null 2>"$work/err"
[ $? -eq 1 ] || fail "a FIFO was not refused at once: $(cat "$work/err")"

for args in "" "--method 9 $work/melody.wav" "--trigger 2 $work/melody.wav" "a.wav b.wav"; do
  # shellcheck disable=SC2086
  timeout 10 "$detect" $args >/dev/null 2>"$work/err"
  [ $? -eq 2 ] && grep -q "^usage:" "$work/err" || fail "arguments '$args' did not get the usage"
done

[ $failed -eq 0 ] && echo "notara-detect: all checks passed"
exit $failed
