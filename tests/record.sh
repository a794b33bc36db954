#!/bin/sh
# logotipo-record on a display: a picture and an animation of a fixture have the frames and
# the size asked for; a missing logo and an unknown extension are refused with status 2; an
# interrupted recording ends its program; no temporary file is left behind.
recorder=$1
fixture=$2
out=$(mktemp -d)
export TMPDIR="$out/tmp"
mkdir "$TMPDIR"
trap 'rm -rf "$out"' EXIT
fail=0
problem() {
    echo "$*"
    fail=1
}

# Width, height and frame count of a picture or an animation.
probe() {
    ffprobe -v error -count_frames -select_streams v:0 \
        -show_entries stream=width,height,nb_read_frames -of csv=p=0 "$1"
}

"$recorder" --frames 7 --size 120x90 -o "$out/frame6.png" "$fixture" 2>"$out/log" ||
    { problem "recording a picture failed"; cat "$out/log"; }
[ "$(probe "$out/frame6.png")" = "120,90,1" ] || problem "picture: $(probe "$out/frame6.png")"
"$recorder" --frames 12 --size 120x90 -o "$out/spin.gif" "$fixture" 2>"$out/log" ||
    { problem "recording an animation failed"; cat "$out/log"; }
[ "$(probe "$out/spin.gif")" = "120,90,12" ] || problem "animation: $(probe "$out/spin.gif")"
# The picture is frame 6 of the animation, up to the GIF's palette, and frame 2 differs.
ffmpeg -v error -i "$out/spin.gif" -vf "select=eq(n\,6)" -frames:v 1 "$out/gif6.png"
ffmpeg -v error -i "$out/spin.gif" -vf "select=eq(n\,2)" -frames:v 1 "$out/gif2.png"
same() { ffmpeg -v info -i "$1" -i "$2" -lavfi psnr -f null - 2>&1 | sed -n 's/.*average:\([0-9.inf]*\).*/\1/p'; }
psnr6=$(same "$out/frame6.png" "$out/gif6.png") psnr2=$(same "$out/frame6.png" "$out/gif2.png")
awk -v a="$psnr6" -v b="$psnr2" 'BEGIN { exit !(a == "inf" || a >= 30) || !(b < 30) }' ||
    problem "the picture is not frame 6 of the animation (PSNR $psnr6 dB against $psnr2 for frame 2)"

for case in "missing logo:$out/nothing.txt:$out/a.gif" "unknown extension:$fixture:$out/a.avi"; do
    what=${case%%:*} rest=${case#*:}
    "$recorder" --frames 3 -o "${rest#*:}" "${rest%%:*}" 2>"$out/err"
    status=$?
    [ "$status" -eq 2 ] || problem "$what: exit status $status, expected 2"
    [ "$(wc -l <"$out/err")" -eq 1 ] || problem "$what: not one line: $(cat "$out/err")"
    [ -e "${rest#*:}" ] && problem "$what: an output was written"
done

# Ended while the program runs: its window goes away with it.
"$recorder" --frames 100000 -o "$out/long.gif" "$fixture" 2>/dev/null &
recorder_pid=$!
waited=0
until xdotool search --name '^Logotipo da VESTRAL$' >/dev/null 2>&1 || [ "$waited" -ge 100 ]; do
    sleep 0.1
    waited=$((waited + 1))
done
sleep 0.5
kill -TERM "$recorder_pid"
wait "$recorder_pid"
status=$?
[ "$status" -eq 143 ] || problem "terminated: exit status $status, expected 143"
sleep 0.5
xdotool search --name '^Logotipo da VESTRAL$' >/dev/null 2>&1 &&
    problem "terminated: the program's window is still there"

left=$(ls -A "$TMPDIR")
[ -z "$left" ] && [ ! -e "$out/long.gif" ] || problem "left behind: $left"
exit $fail
