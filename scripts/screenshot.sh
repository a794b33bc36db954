#!/bin/sh
# Remakes the README's pictures with logotipo-record: docs/logotipo.png, the window showing
# examples/logo.txt in frame 6 (scale 1.3, turned by 18, 30 and 12 degrees), and
# docs/logotipo.gif, the whole 720-frame loop at 400x400. Both come from traced runs, so
# every run gives the same pictures.
set -e
top=$(cd "$(dirname "$0")/.." && pwd)
. "$top/scripts/packages.sh"

need_packages $BUILD_PACKAGES $RECORD_PACKAGES
cmake -S "$top" -B "$top/build" >/dev/null
cmake --build "$top/build" -j2 --target logotipo >/dev/null

mkdir -p "$top/docs"
"$top/build/logotipo-record" --frames 7 -o "$top/docs/logotipo.png" "$top/examples/logo.txt"
"$top/build/logotipo-record" --loop --size 400x400 -o "$top/docs/logotipo.gif" "$top/examples/logo.txt"
echo "Wrote $top/docs/logotipo.png and $top/docs/logotipo.gif"
