#!/usr/bin/env bash
# Under a window manager that frames windows (openbox), a first start puts
# the picture and the lessons side by side with their whole frames, title
# bars included, on the screen: nothing above its top or below its bottom.
set -u
if [ "${1:-}" != "--inside" ]; then
  app=$1
  if ! command -v openbox >/dev/null || ! command -v xprop >/dev/null; then
    echo "openbox and xprop are missing: tools/install-deps installs them"; exit 1
  fi
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  export XDG_RUNTIME_DIR=$work
  export XDG_CONFIG_HOME=$work/config
  xvfb-run -a -s "-screen 0 1024x768x24" "$0" --inside "$app" "$work"
  exit $?
fi
app=$2
work=$3
screen_height=768
screen_width=1024
openbox --sm-disable >"$work/openbox.txt" 2>&1 &
wm=$!
# The program starts once the window manager runs, as on a desktop.
for _ in $(seq 1 100); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
  sleep 0.1
done
"$app" --quit-after 12 >"$work/out.txt" 2>&1 &
pid=$!
trap 'kill $pid $wm 2>/dev/null; wait 2>/dev/null' EXIT

# The frame of the window titled $1 as "left top right bottom", once the
# window manager has framed it.
frame_of() {
  local id extents geometry
  id=$(xwininfo -root -tree | grep -F "\"$1\": (\"notara\"" | awk '{print $1}' | head -n 1)
  [ -n "$id" ] || return 1
  extents=$(xprop -id "$id" _NET_FRAME_EXTENTS 2>/dev/null | sed -n 's/.*= //p' | tr -d ,)
  [ -n "$extents" ] || return 1
  geometry=$(xwininfo -id "$id" | awk '/Absolute upper-left X/{x=$4} /Absolute upper-left Y/{y=$4}
    /Width:/{w=$2} /Height:/{h=$2} END{print x, y, w, h}')
  read -r el er et eb <<<"$extents"
  read -r x y w h <<<"$geometry"
  [ "$et" -gt 0 ] || return 1
  echo "$((x - el)) $((y - et)) $((x + w + er)) $((y + h + eb))"
}

inside() {
  local left top right bottom
  read -r left top right bottom <<<"$1"
  [ "$left" -ge 0 ] && [ "$top" -ge 0 ] && [ "$right" -le $screen_width ] &&
    [ "$bottom" -le $screen_height ]
}

last=""
for _ in $(seq 1 100); do
  main=$(frame_of "Notara Demo") && lessons=$(frame_of "Lessons") &&
    last="picture: $main; lessons: $lessons" &&
    inside "$main" && inside "$lessons" && { echo "frames on the screen: $last"; exit 0; }
  kill -0 $pid 2>/dev/null || break
  sleep 0.1
done
echo "a window's frame is not wholly on the ${screen_width}x${screen_height} screen" \
  "(left top right bottom): ${last:-no framed windows}"
cat "$work/out.txt"
exit 1
