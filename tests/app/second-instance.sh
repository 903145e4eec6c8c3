#!/usr/bin/env bash
# Two real processes: the second start is refused with the message and exits
# with a failure status while the first keeps running; a lock left by a killed process does not
# block the next start.
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

# Crash the first instance: its lock file stays behind, stale.
kill -9 $first
wait $first 2>/dev/null
"$app" --quit-after 1 >"$work/third.out" 2>&1
if grep -q 'Another instance of' "$work/third.out"; then
  echo "a stale lock blocked the next start"; cat "$work/third.out"; exit 1
fi
echo "second instance refused; stale lock taken over"
