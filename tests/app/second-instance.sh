#!/usr/bin/env bash
# Two real processes: the second start is refused with the message and exits
# with a failure status while the first keeps running; a second start given a
# song hands it to the first, which opens it, and ends with 0; a lock left by
# a killed process does not block the next start.
set -u
app=$1
export QT_QPA_PLATFORM=offscreen
work=$(mktemp -d)
export XDG_RUNTIME_DIR=$work
export XDG_CONFIG_HOME=$work/config
trap 'kill $first 2>/dev/null; rm -rf "$work"' EXIT

"$app" --quit-after 20 >"$work/first.out" 2>&1 &
first=$!
# Wait until the first instance holds the lock.
for _ in $(seq 100); do
  ls "$work"/config/notara-*.lock >/dev/null 2>&1 && break
  sleep 0.1
done

"$app" --quit-after 1 >"$work/second.out" 2>&1
code=$?
if [ $code -eq 0 ]; then
  echo "the refused second instance exited with 0"; cat "$work/second.out"; exit 1
fi
if ! grep -q 'Another instance of' "$work/second.out"; then
  echo "second instance did not show the message:"; cat "$work/second.out"; exit 1
fi
if ! kill -0 $first 2>/dev/null; then
  echo "the first instance did not survive the second start"; cat "$work/first.out"; exit 1
fi

# A song given to a second start goes to the first: a text file named .mid,
# so that the first's answer shows in its output.
for _ in $(seq 100); do
  ls "$work"/config/notara-*.sock >/dev/null 2>&1 && break
  sleep 0.1
done
echo "not a MIDI file" >"$work/handed.mid"
(cd "$work" && "$app" --quit-after 1 handed.mid >"$work/handed.out" 2>&1)
code=$?
if [ $code -ne 0 ] || grep -q 'Another instance of' "$work/handed.out"; then
  echo "the second start with a song exited with $code:"; cat "$work/handed.out"; exit 1
fi
for _ in $(seq 100); do
  grep -q "Can't read MIDI file '$work/handed.mid': it is not a MIDI file" "$work/first.out" && break
  sleep 0.1
done
if ! grep -q "Can't read MIDI file '$work/handed.mid': it is not a MIDI file" "$work/first.out"; then
  echo "the first instance did not open the song handed over:"; cat "$work/first.out"; exit 1
fi

# Crash the first instance: its lock file stays behind, stale.
kill -9 $first
wait $first 2>/dev/null
"$app" --quit-after 1 >"$work/third.out" 2>&1
if grep -q 'Another instance of' "$work/third.out"; then
  echo "a stale lock blocked the next start"; cat "$work/third.out"; exit 1
fi
echo "second instance refused; stale lock taken over"
