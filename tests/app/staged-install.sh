#!/usr/bin/env bash
# `make install` staged below a temporary folder (DESTDIR), moved away from
# where it was installed, its prefix made read-only, and run from there with
# a home of its own: the tree holds what running needs and no build or test
# file, the desktop's validators accept its files, the manual pages read
# without warnings, both programs start under Xvfb with their samples,
# lessons and songs, and every file they write lies in the home folder.
# The pictures are kept as installed-notara.png and installed-rumblo.png
# in the folder given third.
#   staged-install.sh <build folder> <image_check> <pictures folder> <version>
set -u
build=$1
check=$2
shots=$3
version=$4
work=$(mktemp -d)
trap 'chmod -R u+w "$work" 2>/dev/null; rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

if ! DESTDIR="$work/stage" cmake --install "$build" --prefix /usr >"$work/install.txt" 2>&1; then
  echo "the staged install failed:"; cat "$work/install.txt"; exit 1
fi
mv "$work/stage" "$work/moved"
prefix=$work/moved/usr

# What running needs, and nothing of the build.
for path in bin/notara bin/rumblo bin/notara-detect libexec/notara/notara-crash \
  "share/notara/Tutorials/Notara/Notara Content.txt" \
  "share/notara/Tutorials/Notara/Tunes/Brother John.mid" \
  "share/notara/Tutorials/Grooves/Grooves Content.txt" \
  "share/notara/Tutorials/Grooves/Songs/Example Song.Song" \
  "share/notara/Grooves/Rock/Straight Eight.mid" share/notara/Models/Human.x \
  share/applications/com.cadenzor.Notara.desktop share/applications/com.cadenzor.Rumblo.desktop \
  share/metainfo/com.cadenzor.Notara.metainfo.xml share/metainfo/com.cadenzor.Rumblo.metainfo.xml \
  share/mime/packages/notara-song.xml \
  share/icons/hicolor/scalable/apps/notara.svg share/icons/hicolor/48x48/apps/rumblo.png \
  share/icons/hicolor/256x256/apps/notara.png \
  share/man/man1/notara.1.gz share/man/man1/rumblo.1.gz share/man/man1/notara-detect.1.gz; do
  [ -f "$prefix/$path" ] || fail "the install has no $path"
done
samples=$(find "$prefix/share/notara/Sound" -name '*.wav' | wc -l)
[ "$samples" -ge 100 ] || fail "the install has $samples samples"
strays=$(find "$prefix" \( -name '.rendered' -o -name '.written' -o -name '*.a' -o -name '*.o' \
  -o -name 'CMake*' -o -name 'test_*' -o -name '*.RPT' -o -name 'Default.mix' -o -name '*.tmp' \))
[ -z "$strays" ] || fail "build or run files in the install: $strays"
if grep -qF "$build/" "$prefix/bin/notara" "$prefix/bin/rumblo"; then
  fail "an installed program names the build folder"
fi
for program in notara rumblo notara-detect; do
  said=$("$prefix/bin/$program" --version 2>&1)
  [ "$said" = "$program $version" ] || fail "$program --version says '$said'"
done

# The desktop's validators and the manual pages.
for file in "$prefix"/share/applications/*.desktop; do
  desktop-file-validate "$file" >"$work/validate.txt" 2>&1 && [ ! -s "$work/validate.txt" ] ||
    { fail "desktop-file-validate $file"; cat "$work/validate.txt"; }
done
for file in "$prefix"/share/metainfo/*.xml; do
  appstreamcli validate --no-net "$file" >"$work/validate.txt" 2>&1 ||
    { fail "appstreamcli validate $file"; cat "$work/validate.txt"; }
done
for page in "$prefix"/share/man/man1/*.1.gz; do
  LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$page" >"$work/page.txt" 2>"$work/warn.txt"
  [ -s "$work/page.txt" ] && [ ! -s "$work/warn.txt" ] ||
    { fail "man --warnings $page"; cat "$work/warn.txt"; }
  grep -q "EXIT STATUS" "$work/page.txt" || fail "$page has no exit status"
done

# Runs from the read-only prefix, with a home of their own.
chmod -R a-w "$work/moved"
find "$prefix" -printf '%p %s %T@ %m\n' | sort >"$work/before.txt"
mkdir -p "$work/home" "$work/run" "$work/cwd" "$work/fb"
chmod 700 "$work/run"
cd "$work/cwd" || exit 1
run() {
  env -u XDG_CONFIG_HOME -u XDG_DATA_HOME -u XDG_MUSIC_DIR -u XDG_CACHE_HOME \
    HOME="$work/home" XDG_RUNTIME_DIR="$work/run" "$@"
}
quiet() {  # what a run said that is more than this machine's missing sound devices
  grep "Can't" "$1" | grep -v "sound \(output\|input\) device" | grep -v "^Message box"
}

# The trainer with a shipped tune named as a file manager names it.
tune="$prefix/share/notara/Tutorials/Notara/Tunes/Brother John.mid"
run timeout 60 xvfb-run -a -s "-screen 0 1280x1024x24" "$prefix/bin/notara" \
  --screenshot "$work/notara.png" --quit-after 4 "$tune" >"$work/notara.txt" 2>&1 ||
  { fail "the installed notara failed"; cat "$work/notara.txt"; }
[ -z "$(quiet "$work/notara.txt")" ] || { fail "notara could not do something:"; cat "$work/notara.txt"; }
mkdir -p "$shots" && cp "$work/notara.png" "$shots/installed-notara.png" 2>/dev/null
QT_QPA_PLATFORM=offscreen "$check" "$work/notara.png" ||
  fail "the installed notara's picture shows no tune on the staff"

# The groove kind with the shipped song document: the whole screen is
# pictured (the Song Editor is a window of its own) once it shows.
song="$prefix/share/notara/Tutorials/Grooves/Songs/Example Song.Song"
cat >"$work/rumblo-run.sh" <<SCRIPT
"$prefix/bin/rumblo" --quit-after 60 "$song" >"$work/rumblo.txt" 2>&1 &
pid=\$!
shown=1
for _ in \$(seq 100); do
  cp "$work/fb/Xvfb_screen0" "$work/screen.xwd" 2>/dev/null
  if QT_QPA_PLATFORM=offscreen "$check" --screen "$work/screen.xwd" "$work/rumblo.png" \
    >"$work/check.txt" 2>&1; then
    shown=0; break
  fi
  sleep 0.2
done
kill -TERM \$pid
wait \$pid
exit \$shown
SCRIPT
run timeout 90 xvfb-run -a -s "-screen 0 1280x1024x24 -fbdir $work/fb" bash "$work/rumblo-run.sh" ||
  { fail "the installed rumblo showed nothing"; cat "$work/rumblo.txt" "$work/check.txt"; }
cp "$work/rumblo.png" "$shots/installed-rumblo.png" 2>/dev/null
[ -z "$(quiet "$work/rumblo.txt")" ] || { fail "rumblo could not do something:"; cat "$work/rumblo.txt"; }

# Nothing below the prefix changed; everything written lies in the home.
find "$prefix" -printf '%p %s %T@ %m\n' | sort >"$work/after.txt"
diff "$work/before.txt" "$work/after.txt" >/dev/null ||
  { fail "the runs changed the install:"; diff "$work/before.txt" "$work/after.txt" | head; }
[ -z "$(ls -A "$work/cwd")" ] || fail "the runs wrote into the current folder: $(ls -A "$work/cwd")"
echo "files the first runs wrote below the home folder:"
(cd "$work/home" && find . -type f | grep -v '^./.cache/' | sort)
for path in .config/Cadenzor/Notara.ini .config/Cadenzor/Rumblo.ini \
  ".local/share/notara/Rumblo/Grooves/Rock/Straight Eight.mid"; do
  [ -f "$work/home/$path" ] || fail "the runs wrote no ~/$path"
done
if [ $failures -ne 0 ]; then
  echo "$failures failures"; exit 1
fi
echo "the staged install runs from a read-only prefix and writes only in the home folder"
