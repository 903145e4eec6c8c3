#!/usr/bin/env bash
# The real executable under Xvfb, started with hostile options and files:
# an unwritable screenshot fails the run, a run shorter than the screenshot
# delay still writes its picture, out-of-range or odd --quit-after values
# and huge arguments are refused with a short message, and a FILE that is
# missing, a folder or a FIFO is answered without blocking.
set -u
app=$1
if [ -z "${NOTARA_UNDER_XVFB:-}" ]; then
  export NOTARA_UNDER_XVFB=1
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_RUNTIME_DIR=$work
export XDG_CONFIG_HOME=$work/config
limit=60  # seconds any one run may take before it counts as hung
failures=0

fail() {
  echo "FAIL: $1"; [ -f "$work/out.txt" ] && head -c 2000 "$work/out.txt"; echo
  failures=$((failures + 1))
}

# Runs the app with the given arguments; the exit status lands in $code.
run() {
  timeout $limit "$app" "$@" >"$work/out.txt" 2>&1
  code=$?
  if [ $code -eq 124 ]; then
    fail "notara $* did not end within $limit s"
  fi
}

is_png() {
  head -c 8 "$1" 2>/dev/null | od -An -tx1 | grep -q '89 50 4e 47 0d 0a 1a 0a'
}

# The usage text needs no display.
DISPLAY= timeout $limit "$app" --help >"$work/out.txt" 2>&1
code=$?
[ $code -eq 0 ] || fail "notara --help without a display exited with $code"
grep -q "^Usage: notara" "$work/out.txt" || fail "notara --help printed no usage"

run --screenshot "$work/no/such/folder/shot.png" --quit-after 1
[ $code -eq 1 ] || fail "an unwritable screenshot exited with $code, not 1"
grep -q "Can't save screenshot" "$work/out.txt" || fail "an unwritable screenshot said nothing"

for seconds in 0 0.05; do
  rm -f "$work/shot.png"
  run --screenshot "$work/shot.png" --quit-after $seconds
  [ $code -eq 0 ] || fail "--quit-after $seconds with a screenshot exited with $code"
  is_png "$work/shot.png" || fail "--quit-after $seconds wrote no screenshot"
done

for value in 2147484 1e99 0x10 inf -1 86401; do
  run --quit-after $value
  [ $code -eq 2 ] || fail "--quit-after $value exited with $code, not 2"
  grep -q "needs a number of seconds from 0 to 86400, not '$value'" "$work/out.txt" ||
    fail "--quit-after $value was not refused with its reason"
done

huge=$(head -c 100000 /dev/zero | tr '\0' 'x')
run "--$huge"
[ $code -eq 2 ] || fail "a huge unknown option exited with $code, not 2"
grep -q "^notara: Unknown option '--x*\.\.\.'$" "$work/out.txt" ||
  fail "a huge unknown option was not quoted cut"
[ "$(head -n 1 "$work/out.txt" | wc -c)" -lt 200 ] || fail "a huge unknown option was quoted whole"

mkdir "$work/folder.mid"
mkfifo "$work/pipe.mid"
check_file() {  # FILE, the reason the box must give
  run --quit-after 0 "$1"
  [ $code -eq 0 ] || fail "notara $1 exited with $code"
  grep -qF "Message box \"Error\": Can't open song ($1): $2" "$work/out.txt" ||
    fail "notara $1 did not say: $2"
}
check_file "$work/missing.mid" "the file does not exist"
check_file "$work/folder.mid" "it is a folder, not a file"
check_file "$work/pipe.mid" "it is not a file"
echo x >"$work/notes.txt"
check_file "$work/notes.txt" "the file is not a song (\".mid\" or \".Song\")"
echo x >"$work/Blues.Song"
check_file "$work/Blues.Song" "the song has no notes to read"
echo MThd >"$work/tune.mid"
run --quit-after 0 "$work/tune.mid"
[ $code -eq 0 ] || fail "notara with a truncated MIDI file exited with $code"
grep -qF "Message box \"Error\": Can't read MIDI file '$work/tune.mid': offset 0:" "$work/out.txt" ||
  fail "a truncated MIDI file was not refused with its place"

run --quit-after 0 SomeCommand "$work/tune.mid"
[ $code -eq 0 ] || fail "SomeCommand exited with $code"
grep -q "Can't open song" "$work/out.txt" && fail "SomeCommand was taken for a file"

[ $failures -eq 0 ] || exit 1
echo "hostile starts refused or answered"
