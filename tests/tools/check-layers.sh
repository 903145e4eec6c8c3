#!/usr/bin/env bash
# The layer check: it refuses an include that points up and a cycle of
# includes in a tree made here, and finds none in the real sources.
set -euo pipefail
check="$1"
sources="$2"
tree="$(mktemp -d "${TMPDIR:-/tmp}/notara-layers-XXXXXX")"
trap 'rm -rf "$tree"' EXIT

mkdir -p "$tree/foundation" "$tree/theory" "$tree/app"
printf '#include "theory/Note.h"\n' > "$tree/foundation/Up.h"
printf '#include "theory/B.h"\n' > "$tree/theory/A.h"
printf '#include "theory/A.h"\n' > "$tree/theory/B.h"
printf '#include "foundation/Up.h"\n' > "$tree/theory/Note.h"
printf '#include "theory/Note.h"\n#include "gadgets/Thing.h"\n' > "$tree/app/Main.cpp"
if output="$("$check" "$tree")"; then
    echo "FAIL: a broken tree passed"; exit 1
fi
for expected in "foundation/Up.h: includes theory/Note.h: 'theory' is not below 'foundation'" \
    "include cycle: theory/A.h -> theory/B.h -> theory/A.h" \
    "module 'gadgets', which is in no layer"; do
    if ! grep -qF "$expected" <<< "$output"; then
        echo "FAIL: not told: $expected"; echo "$output"; exit 1
    fi
done
"$check" "$sources"
