#!/bin/sh
# Remakes the desktop icons in packaging/icons from docs/logotipo.png: the logo cut out of
# its white window (made transparent), centred on a square and scaled to 48, 128 and 256
# pixels. Needs ImageMagick.
set -e
top=$(cd "$(dirname "$0")/.." && pwd)
for size in 48 128 256; do
    convert "$top/docs/logotipo.png" -fuzz 2% -transparent white -trim +repage \
        -resize "${size}x${size}" -background none -gravity center -extent "${size}x${size}" \
        -strip "$top/packaging/icons/logotipo-$size.png"
done
