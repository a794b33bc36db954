#!/bin/sh
# Usage: pixels.sh PROGRAM FRAMES_SCRIPT LOGO  (on a display: run through with_xvfb.sh)
# The real program draws tests/data/slabs.txt; frame 2 is probed where the white background,
# the red mark with its black stripes, and the green stripes of the dark letter and the TP
# bar must show, and frame 60 (scale 0) must be background only.
program=$1 frames=$2 logo=$3
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
sh "$frames" "$program" "$logo" "$dir" 2 60 || exit 1

# Where a point of the logo lands in frame 2: moved by (2.57, -0.01), scaled by 1.1, turned
# 4 degrees about z, 10 about y, 6 about x, then the 500 by 500 view of [-1, 1] squared.
# A point is given by its y and a position along the stripes: x is moved from x0 until the
# stripe coordinate s = 5.5 x + 3.5 y + 1.5 z has the fraction f, on the face at z = 0.1
# that is turned to the viewer. Red texels fill f 0.03 to 0.28, green ones 0.34 to 0.97.
probes=$(awk 'function rad(d) { return d * atan2(0, -1) / 180 }
function probe(name, x0, y, f, z,   s, d, x, px, py, pz, t) {
    s = 5.5 * x0 + 3.5 * y + 1.5 * z
    d = f - (s - int(s) + (s < int(s) ? 1 : 0))
    d -= (d > 0.5) - (d < -0.5)
    x = f < 0 ? x0 : x0 + d / 5.5
    px = (x + 2.57) * 1.1; py = (y - 0.01) * 1.1; pz = z * 1.1
    t = cos(rad(4)) * px - sin(rad(4)) * py; py = sin(rad(4)) * px + cos(rad(4)) * py; px = t
    t = cos(rad(10)) * px + sin(rad(10)) * pz; pz = -sin(rad(10)) * px + cos(rad(10)) * pz; px = t
    py = cos(rad(6)) * py - sin(rad(6)) * pz
    printf "%s %d %d\n", name, (px + 1) * 250, (1 - py) * 250
}
BEGIN {
    probe("white", -2.57, 0.11, -1, 0.05)   # between the two P slabs
    probe("white", -2.9, -0.29, -1, 0.05)   # between the P slabs and the TP bar
    probe("white", -2.9, 0.75, -1, 0)       # above the logo
    probe("red", -2.9, 0.1, 0.156, 0.1)     # P id 1
    probe("red", -2.8, 0.3, 0.156, 0.1)
    probe("black", -2.9, 0.0, 0.656, 0.1)   # P id 1 under a green texel keeps no colour
    probe("green", -2.25, 0.1, 0.656, 0.1)  # P id 4, dark
    probe("green", -2.3, -0.44, 0.656, 0.1) # the TP bar
}')

fail=0
echo "$probes" | while read -r name x y; do
    rgb=$(convert "$dir/frame-2.png" -format \
        "%[fx:round(255*p{$x,$y}.r)] %[fx:round(255*p{$x,$y}.g)] %[fx:round(255*p{$x,$y}.b)]" info:)
    set -- $rgb
    case $name in
    white) [ "$1" -ge 245 ] && [ "$2" -ge 245 ] && [ "$3" -ge 245 ] ;;
    red) [ "$1" -ge 180 ] && [ "$2" -le 40 ] && [ "$3" -le 40 ] ;;
    black) [ "$1" -le 40 ] && [ "$2" -le 40 ] && [ "$3" -le 40 ] ;;
    green) [ "$2" -ge 35 ] && [ "$1" -le 20 ] && [ "$3" -le 20 ] ;;
    esac || { echo "frame 2 at ($x, $y): $rgb, expected $name"; exit 1; }
done || fail=1

# At scale 0 the whole logo shrinks to a point: one colour, the white background.
colours=$(convert "$dir/frame-60.png" -format "%k %[fx:round(255*minima)]" info:)
[ "$colours" = "1 255" ] || { echo "frame 60: colours and darkest value $colours, expected 1 255"; fail=1; }
exit $fail
