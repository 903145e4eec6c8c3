#!/usr/bin/env bash
# The real executable against hostile start-up files and end signals: each
# case runs a private install (the executable linked into a fresh folder with
# its lessons) with its own settings and runtime folders.
#   usage: hostile-start.sh APP CASE
set -u
app=$1
case_name=$2
export QT_QPA_PLATFORM=offscreen
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/install" "$work/runtime"
chmod 0700 "$work/runtime"
ln "$app" "$work/install/notara" 2>/dev/null || cp "$app" "$work/install/notara"
cp -r "$(dirname "$app")/Tutorials" "$work/install/"
# The samples are linked, not copied: a saved mix replaces its own link only.
cp -rl "$(dirname "$app")/Sound" "$work/install/" 2>/dev/null || cp -r "$(dirname "$app")/Sound" "$work/install/"
export XDG_RUNTIME_DIR=$work/runtime
export XDG_CONFIG_HOME=$work/config
ini=$XDG_CONFIG_HOME/Cadenzor/Notara.ini
mkdir -p "$(dirname "$ini")"

fail() { echo "FAIL ($case_name): $*"; [ -f "$work/out.txt" ] && cat "$work/out.txt"; exit 1; }

# Runs the application for at most $1 seconds of --quit-after, with a hard
# limit so that a hang fails instead of blocking the suite.
run() {
  timeout 60 "$work/install/notara" --quit-after "$1" >"$work/out.txt" 2>&1
  code=$?
  [ $code -eq 124 ] && fail "the application hung"
  return 0
}


# Starts the application in the background for at most $1 seconds of
# --quit-after, its pid in $pid, and waits until it holds its instance lock.
start_in_background() {
  "$work/install/notara" --quit-after "$1" >"$work/out.txt" 2>&1 &
  pid=$!
  for _ in $(seq 300); do
    ls "$XDG_CONFIG_HOME"/notara-*.lock >/dev/null 2>&1 && break
    sleep 0.1
  done
}

# Waits up to $1 tenths of a second for the background application to end,
# kills it and fails with $2 when it does not, and leaves its status in $code.
wait_for_end() {
  for _ in $(seq "$1"); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
  if kill -0 $pid 2>/dev/null; then kill -9 $pid; fail "$2"; fi
  wait $pid
  code=$?
}

case $case_name in
  end-signals)
    # Logout, a closed terminal and Ctrl+C close the application normally:
    # its settings are saved and it exits with success.
    for sig in TERM INT HUP; do
      rm -f "$ini"
      start_in_background 60
      sleep 1  # start-up runs on from the lock to the first window
      kill -$sig $pid
      wait_for_end 300 "SIG$sig did not close the application"
      [ $code -eq 0 ] || fail "SIG$sig: exit status $code"
      grep -q "Main%20Window\|\[Main" "$ini" 2>/dev/null || fail "SIG$sig: no settings saved"
    done
    ;;
  repeated-end-signals)
    # A terminal or a timeout sends its end signal to the whole group, often
    # twice in quick succession: the second must not cut the save short.
    for round in 1 2 3 4 5 6; do
      rm -f "$ini"
      start_in_background 60
      sleep 1  # start-up runs on from the lock to the first window
      # The second and third come while the close runs.
      kill -TERM $pid; sleep 0.0$round; kill -TERM $pid 2>/dev/null; sleep 0.05; kill -HUP $pid 2>/dev/null
      wait_for_end 300 "round $round: repeated signals did not close the application"
      [ $code -eq 0 ] || fail "round $round: exit status $code after repeated end signals"
      grep -q "Main%20Window\|\[Main" "$ini" 2>/dev/null || fail "round $round: no settings saved"
    done
    ;;
  full-disk)
    # A disk that fills while the application runs: the settings file it
    # had stays as it was, the failure is told once and fails the exit
    # status. The settings live on a small file system of the test's own.
    mkdir -p "$work/small"
    mount -t tmpfs -o size=256k tmpfs "$work/small" 2>/dev/null || { echo "full-disk: skipped, can't mount a tmpfs (not root)"; exit 77; }
    trap 'umount "$work/small" 2>/dev/null; rm -rf "$work"' EXIT
    export XDG_CONFIG_HOME=$work/small/config
    ini=$XDG_CONFIG_HOME/Cadenzor/Notara.ini
    run 0
    [ $code -eq 0 ] || fail "the first run failed: $code"
    [ -s "$ini" ] || fail "the first run saved no settings"
    cp "$ini" "$work/before.ini"
    # The practice history is kept out of the way (a folder in its place), so
    # that nothing the close frees makes room for the settings.
    rm -f "$(dirname "$ini")/Practice History.db"*
    mkdir "$(dirname "$ini")/Practice History.db"
    start_in_background 4
    # Every free block taken while the application runs.
    dd if=/dev/zero of="$work/small/filler" bs=4k 2>/dev/null
    wait_for_end 600 "the application did not end"
    [ $code -eq 1 ] || fail "a full disk: exit status $code, not 1"
    cmp -s "$ini" "$work/before.ini" || fail "the settings file changed on a full disk: $(wc -c <"$ini") bytes"
    [ "$(grep -c "Message box.*Can't save settings" "$work/out.txt")" -eq 1 ] ||
      fail "the failed save was not told once"
    ls "$(dirname "$ini")" | grep -q "notara-save" && fail "a temporary file was left"
    ;;
  unsaved-settings)
    # Settings that can't be saved are told once and fail the exit status:
    # a read-only file, a folder in its place, a config folder below a file.
    printf '[General]\nData%%20path=/x/\n' >"$ini"
    chmod 0444 "$ini"
    run 1
    [ $code -ne 0 ] || fail "a read-only settings file: exit status 0"
    [ "$(grep -c "Message box.*Can't save settings ($ini): the file is read-only" "$work/out.txt")" -eq 1 ] ||
      fail "a read-only settings file was not told once"
    grep -q 'Data%20path=/x/' "$ini" || fail "the read-only settings file changed"
    rm -f "$ini"; mkdir "$ini"
    run 1
    [ $code -ne 0 ] || fail "a folder as the settings file: exit status 0"
    grep -q "Can't save settings ($ini): it is a folder" "$work/out.txt" || fail "a folder was not told"
    rmdir "$ini"
    touch "$work/file"
    XDG_CONFIG_HOME=$work/file/config run 1
    [ $code -ne 0 ] || fail "a config folder below a file: exit status 0"
    grep -q "Can't save settings (" "$work/out.txt" || fail "an unmakeable config folder was not told"
    ;;
  fifo-settings)
    # A FIFO as the settings file neither blocks start-up nor gets replaced.
    mkfifo "$ini"
    start=$(date +%s)
    run 1
    [ $(( $(date +%s) - start )) -lt 30 ] || fail "start-up waited on the FIFO"
    grep -q "Can't read settings ($ini): it is not a regular file" "$work/out.txt" ||
      fail "the FIFO was not told"
    [ -p "$ini" ] || fail "the FIFO was replaced"
    ;;
  garbled-settings)
    # A garbled file is told once, kept as .damaged and replaced by a clean
    # file that does not grow from run to run; the user's own files beside
    # it stay.
    head -c 20000 /dev/urandom | tr '\0' 'x' >"$ini"
    printf '\n[Broken\nkey\n' >>"$ini"
    cp "$ini" "$work/original"
    for name in Notara.ini.backup Notara.ini.before Notara.ini.readme; do
      echo mine >"$(dirname "$ini")/$name"
    done
    run 1
    [ $code -eq 0 ] || fail "exit status $code"
    [ "$(grep -c "Message box.*the file is garbled" "$work/out.txt")" -eq 1 ] ||
      fail "the garbled file was not told once"
    cmp -s "$ini.damaged" "$work/original" || fail "no copy of the garbled file kept"
    first=$(stat -c %s "$ini")
    [ "$first" -lt 5000 ] || fail "the clean file holds $first bytes"
    run 1
    grep -q "garbled" "$work/out.txt" && fail "a clean file was told as garbled"
    [ "$(stat -c %s "$ini")" -le "$first" ] || fail "the settings file grew"
    for name in Notara.ini.backup Notara.ini.before Notara.ini.readme; do
      [ -f "$(dirname "$ini")/$name" ] || fail "$name was deleted"
    done
    ;;
  fifo-content)
    # A FIFO or a device as the content file or a lesson document neither
    # blocks start-up nor floods memory: it is told as unreadable.
    content="$work/install/Tutorials/Notara/Notara Content.txt"
    welcome="$work/install/Tutorials/Notara/Lessons/01 Welcome.txt"
    cp "$content" "$work/content.txt"
    rm "$content"; mkfifo "$content"
    run 1
    grep -q "Notara Content.txt': it is not a regular file" "$work/out.txt" || fail "a FIFO content file was not told"
    rm "$content"; ln -s /dev/zero "$content"
    run 1
    grep -q "Notara Content.txt': it is not a regular file" "$work/out.txt" || fail "/dev/zero as content was not told"
    rm "$content"; cp "$work/content.txt" "$content"
    rm "$welcome"; mkfifo "$welcome"
    run 1
    [ $code -eq 0 ] || fail "a FIFO lesson document: exit status $code"
    ;;
  quiet-first-start)
    # A normal first start on a display, with no sound card and no MIDI
    # system, prints nothing on standard output and no complaint on
    # standard error.
    QT_QPA_PLATFORM= timeout 60 xvfb-run -a -s "-screen 0 1280x1024x24" "$work/install/notara" --quit-after 2 \
      >"$work/stdout.txt" 2>"$work/out.txt"
    code=$?
    [ $code -eq 0 ] || fail "exit status $code"
    [ -s "$work/stdout.txt" ] && { cat "$work/stdout.txt"; fail "the first start printed on standard output"; }
    # Without a sound device the learner is told so once, in its box; there
    # is no other complaint.
    boxes=$(grep -c 'Message box "Audio Device Error"' "$work/out.txt")
    [ "$boxes" -eq 1 ] || { cat "$work/out.txt"; fail "$boxes sound device boxes instead of one"; }
    if grep -v "sound output device\|sound input device\|^Notes \|^Choose the devices\|^$" "$work/out.txt" |
      grep -Ei "error|alsa|jack|cannot|next note|input note|warning"; then
      fail "the first start complained on standard error"
    fi
    # The windowless platform on a display makes GL contexts but can't show
    # a GL widget: the application runs without its 3D view, no crash.
    QT_QPA_PLATFORM=offscreen timeout 60 xvfb-run -a "$work/install/notara" --quit-after 1 \
      >"$work/out.txt" 2>&1
    code=$?
    [ $code -eq 0 ] || fail "offscreen on a display: exit status $code"
    ;;
  instance-lock)
    # The lock is the user's, beside the settings: a second session with
    # another runtime folder is refused with a failure status.
    "$work/install/notara" --quit-after 30 >"$work/first.txt" 2>&1 &
    first=$!
    for _ in $(seq 300); do
      ls "$XDG_CONFIG_HOME"/notara-"$(id -u)"-*.lock >/dev/null 2>&1 && break
      sleep 0.1
    done
    mkdir -p "$work/runtime2"
    XDG_RUNTIME_DIR=$work/runtime2 run 1
    kill $first 2>/dev/null; wait $first 2>/dev/null
    [ $code -ne 0 ] || fail "the refused second start exited with 0"
    grep -q "Another instance of" "$work/out.txt" || fail "the second start was not refused"
    ;;
  *)
    fail "unknown case"
    ;;
esac
echo "$case_name: ok"
