#!/bin/sh
# Usage: frames.sh PROGRAM LOGO OUTDIR FRAME...  (on a display, e.g. under tests/with_xvfb.sh)
# Traces a short run of PROGRAM on a copy of LOGO, ends it with END, and replays the trace to
# write OUTDIR/frame-N.png for each FRAME N (0 is the first frame drawn), so the pictures
# are of exactly those frames whatever the speed of the machine.
program=$(realpath "$1") logo=$2 out=$(realpath "$3")
shift 3
seconds=${FRAMES_SECONDS:-1}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$logo" "$work/logo.txt" && cd "$work" || exit 1

timeout 30 apitrace trace -o run.trace "$program" >trace.log 2>&1 &
tracer=$!
window=$(timeout 20 xdotool search --sync --name "Logotipo da VESTRAL" | head -n 1)
if [ -z "$window" ]; then
    echo "no window appeared" >&2
    kill "$tracer" 2>/dev/null
    cat trace.log >&2
    exit 1
fi
sleep "$seconds"
xdotool keydown --window "$window" End 2>/dev/null
wait "$tracer" || { echo "the traced run did not end with status 0" >&2; cat trace.log >&2; exit 1; }

# The swaps end the frames: line N + 1 holds the call that ends frame N.
apitrace dump --calls=frame run.trace | awk '/glXSwapBuffers/ {print $1}' >swaps.txt
calls=""
for frame; do
    call=$(sed -n "$((frame + 1))p" swaps.txt)
    if [ -z "$call" ]; then
        echo "frame $frame not reached: $(wc -l <swaps.txt) frames in $seconds s" >&2
        exit 1
    fi
    calls="$calls${calls:+,}$call"
done
glretrace -S "$calls" -s shot- run.trace >retrace.log 2>&1 || { cat retrace.log >&2; exit 1; }
for frame; do
    call=$(sed -n "$((frame + 1))p" swaps.txt)
    mv "$(printf 'shot-%010d.png' "$call")" "$out/frame-$frame.png" || exit 1
done
