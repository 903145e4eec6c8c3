#!/usr/bin/env bash
# notara-detect against real renderings and hostile files:
#   detect-tool.sh <notara-detect> <Sound folder> <hostile wav folder>
# A melody of three piano samples is named note by note; every hostile file
# ends with exit status 1 and a "Can't ..." line, or is read (exit 0), never
# a crash; a FIFO is refused without waiting; wrong arguments get the usage.
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

for file in "$hostile"/*.wav "$work/missing.wav"; do
  timeout 30 "$detect" "$file" >"$work/out" 2>"$work/err"
  status=$?
  case $status in
    0) ;;
    1) grep -q "^Can't " "$work/err" || fail "$(basename "$file"): exit 1 without a Can't line: $(cat "$work/err")" ;;
    *) fail "$(basename "$file"): exit status $status: $(cat "$work/err")" ;;
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
