#!/usr/bin/env bash
# The Debian package that `make package` makes, made here by CPack into a
# folder of its own: both programs, their tools, the shipped content and
# the desktop's files below /usr, no build or test file, and the run-time
# dependencies named (the shared libraries' packages and what is loaded at
# run time), none of the building ones.
#   debian-package.sh <build folder> <version>
set -u
build=$1
version=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

if ! (cd "$build" && cpack -G DEB -B "$work" >"$work/cpack.txt" 2>&1); then
  echo "cpack failed:"; cat "$work/cpack.txt"; exit 1
fi
deb=$work/notara_${version}_amd64.deb
[ -f "$deb" ] || { echo "no $deb:"; ls "$work"; exit 1; }
dpkg-deb --info "$deb" >"$work/info.txt" || fail "dpkg-deb --info"
dpkg-deb --contents "$deb" | awk '{ $1=$2=$3=$4=$5=""; print substr($0, 6) }' >"$work/files.txt"
depends=$(sed -n 's/^ Depends: //p' "$work/info.txt")
for needed in libqt6widgets6 libqt6openglwidgets6 libqt6network6 librtaudio6 librtmidi6 libsqlite3-0 \
  libdw1 libjack qt6-qpa-plugins libgl1-mesa-dri fonts-freefont-ttf; do
  grep -q "$needed" <<<"$depends" || fail "the package does not depend on $needed"
done
if grep -q -- '-dev\b\|cmake\|ninja\|libgtest\|fluidsynth' <<<"$depends"; then
  fail "the package depends on a building package: $depends"
fi
grep -q "^ Version: $version$" "$work/info.txt" || fail "the package's version is not $version"
for path in ./usr/bin/notara ./usr/bin/rumblo ./usr/bin/notara-detect \
  ./usr/libexec/notara/notara-crash "./usr/share/notara/Tutorials/Notara/Notara Content.txt" \
  "./usr/share/notara/Grooves/Rock/Straight Eight.mid" ./usr/share/notara/Sound/Piano/Piano-A3.wav \
  ./usr/share/notara/Models/Human.x \
  ./usr/share/applications/com.cadenzor.Notara.desktop \
  ./usr/share/applications/com.cadenzor.Rumblo.desktop \
  ./usr/share/metainfo/com.cadenzor.Rumblo.metainfo.xml ./usr/share/mime/packages/notara-song.xml \
  ./usr/share/icons/hicolor/scalable/apps/rumblo.svg ./usr/share/man/man1/notara-detect.1.gz; do
  grep -qxF "$path" "$work/files.txt" || fail "the package has no $path"
done
if grep -v '^\./usr/' "$work/files.txt" | grep -vx '\./'; then
  fail "the package has files outside /usr"
fi
if grep -E '\.(rendered|written|a|o|RPT|tmp)$|CMake|/test_|Default\.mix' "$work/files.txt"; then
  fail "build or test files in the package"
fi
files=$(grep -cv '/$' "$work/files.txt")
echo "$(basename "$deb"): $(du -k "$deb" | cut -f1) KiB, $files files; Depends: $depends"
if [ $failures -ne 0 ]; then
  echo "$failures failures"; exit 1
fi
