#!/bin/sh
# Remakes docs/logotipo.png: the window showing examples/logo.txt in frame 6 (scale 1.3,
# turned by 18, 30 and 12 degrees), taken from a traced run on a virtual display, so every
# run gives the same picture.
set -e
top=$(cd "$(dirname "$0")/.." && pwd)
. "$top/scripts/packages.sh"

need_packages $BUILD_PACKAGES xvfb xdotool apitrace libgl1-mesa-dri
cmake -S "$top" -B "$top/build" >/dev/null
cmake --build "$top/build" -j2 --target logotipo >/dev/null

shots=$(mktemp -d)
trap 'rm -rf "$shots"' EXIT
sh "$top/tests/with_xvfb.sh" sh "$top/scripts/frames.sh" "$top/build/logotipo" \
    "$top/examples/logo.txt" "$shots" 6
mkdir -p "$top/docs"
cp "$shots/frame-6.png" "$top/docs/logotipo.png"
echo "Wrote $top/docs/logotipo.png"
