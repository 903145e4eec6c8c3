#!/usr/bin/env bash
# The real executable under Xvfb: --screenshot writes a PNG of the main
# window titled "Notara Demo" and --quit-after ends the run by itself. A
# first start shows the staff and keyboard with no note drawn: nothing runs
# until the learner presses Start. The picture is kept as shots/first-start.png
# below the folder given third.
set -u
app=$1
check=$2
shots=${3:-}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_RUNTIME_DIR=$work
export XDG_CONFIG_HOME=$work/config
start=$(date +%s)
xvfb-run -a -s "-screen 0 1280x1024x24" "$app" --screenshot "$work/shot.png" --quit-after 3 \
  >"$work/out.txt" 2>&1
code=$?
elapsed=$(( $(date +%s) - start ))
if [ $code -ne 0 ]; then
  echo "notara exited with $code"; cat "$work/out.txt"; exit 1
fi
if [ $elapsed -gt 30 ]; then
  echo "--quit-after 3 took $elapsed s"; exit 1
fi
if ! head -c 8 "$work/shot.png" | od -An -tx1 | grep -q '89 50 4e 47 0d 0a 1a 0a'; then
  echo "no PNG written"; cat "$work/out.txt"; exit 1
fi
if ! grep -aq 'Notara Demo' "$work/shot.png"; then
  echo "the PNG does not carry the title Notara Demo"; exit 1
fi
if [ -n "$shots" ]; then
  mkdir -p "$shots" && cp "$work/shot.png" "$shots/first-start.png"
fi
if ! QT_QPA_PLATFORM=offscreen "$check" --no-note "$work/shot.png"; then
  echo "the first start's screenshot does not show the empty staff and the keyboard"; exit 1
fi
# A tune in F major named on the command line: its note drawn on the staff
# under the key signature, kept as tune-in-f-major.png.
tune="$(dirname "$app")/Tutorials/Notara/Tunes/Brother John.mid"
xvfb-run -a -s "-screen 0 1280x1024x24" "$app" --screenshot "$work/tune.png" --quit-after 3 \
  "$tune" >"$work/tune.txt" 2>&1 || { echo "the tune run failed"; cat "$work/tune.txt"; exit 1; }
if [ -n "$shots" ]; then
  cp "$work/tune.png" "$shots/tune-in-f-major.png"
fi
if ! QT_QPA_PLATFORM=offscreen "$check" "$work/tune.png"; then
  echo "the tune's screenshot shows no note"; exit 1
fi
echo "screenshot written in ${elapsed}s"
