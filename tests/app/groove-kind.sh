#!/usr/bin/env bash
# The groove kind as a program of its own: it starts with its own title,
# menu and settings, runs beside the note-reading trainer, and refuses a
# second copy of itself.
set -u
rumblo=$1
notara=$2
export QT_QPA_PLATFORM=offscreen
work=$(mktemp -d)
export XDG_RUNTIME_DIR=$work
export XDG_CONFIG_HOME=$work/config
pids=()
trap 'kill "${pids[@]}" 2>/dev/null; rm -rf "$work"' EXIT

if ! "$rumblo" --help | grep -q '^Usage: rumblo'; then
  echo "rumblo --help does not name rumblo"; exit 1
fi

"$rumblo" --screenshot "$work/shot.png" --quit-after 2 >"$work/shot.out" 2>&1
code=$?
if [ $code -ne 0 ]; then
  echo "rumblo exited with $code"; cat "$work/shot.out"; exit 1
fi
if ! grep -aq 'Rumblo' "$work/shot.png"; then
  echo "the screenshot does not carry the title Rumblo"; exit 1
fi
if ! ls "$work"/config/*/Rumblo.ini >/dev/null 2>&1 ||
  ls "$work"/config/*/Notara.ini >/dev/null 2>&1; then
  echo "rumblo did not keep its own settings:"; find "$work/config"; exit 1
fi
if grep -q 'Picture kind' "$work/shot.out"; then
  echo "the groove kind's picture failed:"; cat "$work/shot.out"; exit 1
fi

# The trainer runs; the groove kind starts beside it; a second groove kind
# is refused while the first runs.
locks() { ls "$work"/config/notara-*.lock 2>/dev/null | wc -l; }
"$notara" --quit-after 20 >"$work/notara.out" 2>&1 &
pids+=($!)
for _ in $(seq 100); do [ "$(locks)" -ge 1 ] && break; sleep 0.1; done
"$rumblo" --quit-after 20 >"$work/first.out" 2>&1 &
pids+=($!)
for _ in $(seq 100); do [ "$(locks)" -ge 2 ] && break; sleep 0.1; done
if [ "$(locks)" -lt 2 ]; then
  echo "the groove kind did not start beside the trainer:"; cat "$work/first.out"; exit 1
fi
"$rumblo" --quit-after 1 >"$work/second.out" 2>&1
code=$?
if [ $code -eq 0 ] || ! grep -q 'Another instance of' "$work/second.out"; then
  echo "a second groove kind was not refused ($code):"; cat "$work/second.out"; exit 1
fi
for pid in "${pids[@]}"; do
  if ! kill -0 "$pid" 2>/dev/null; then
    echo "a running program ended when another started"; cat "$work"/*.out; exit 1
  fi
done
echo "the groove kind runs beside the trainer and once only"
