#!/bin/sh
# logotipo-record: records frames of logotipo exactly as it draws them and encodes them into
# an animation or a picture. The program runs under apitrace on a copy of the logo until the
# trace holds enough frames, END ends it, and glretrace replays the trace to take each frame.
# Installed beside logotipo, whose copy beside it is the one recorded.
set -u
me=logotipo-record
rate=25 # frames per second of the animations
# Frames after which the program draws the same again: the angles repeat every 360 frames
# and the pulse every 80.
period=720
pulse=80
# The program's window, found by its title.
window_title='Logotipo da VESTRAL'

usage() {
    cat <<END
Usage: logotipo-record [-o FILE] [--frames N | --loop] [--size WxH] [LOGO]

Records frames of logotipo spinning LOGO (default ./logo.txt) exactly as the program draws
them, and writes them to FILE (default logotipo.gif), encoded by its extension:
  .gif   an animated GIF with its own palette     .webp  an animated WebP
  .mp4   an H.264 video                           .png   one picture: the last frame
Animations play ${rate} frames per second and repeat for ever.

  -o, --output FILE  where to write
  --frames N         record frames 0 to N-1 (default ${pulse}: one whole pulse)
  --loop             record ${period} frames, one whole period of the spin and the pulse, so that
                     the animation repeats without a jump
  --size WxH         the window's size in pixels (default 500x500, the program's own); the
                     window is resized once it is up, and the frames are taken one whole
                     period (${period} frames) later, so that frame N is still the program's frame N
  -h, --help         show this help

It runs on DISPLAY when that is set, else on a virtual display of its own (Xvfb).
Exit status: 0 written, 1 the recording or the encoding failed, 2 bad arguments (a
missing logo, an unknown extension).
END
}

refuse() {
    echo "$me: $*" >&2
    exit 2
}

fail() {
    echo "$me: $*" >&2
    exit 1
}

progress() {
    printf '%s: %s\n' "$me" "$*" >&2
}

# Sets output, frames, size, logo, width, height and kind from the command line, or refuses.
parse_arguments() {
    output=logotipo.gif frames=$pulse size=500x500 logo=./logo.txt
    while [ $# -gt 0 ]; do
        case $1 in
        -h | --help) usage; exit 0 ;;
        -o | --output) [ $# -ge 2 ] || refuse "$1 needs a file name"; output=$2; shift ;;
        --frames) [ $# -ge 2 ] || refuse "--frames needs a number"; frames=$2; shift ;;
        --loop) frames=$period ;;
        --size) [ $# -ge 2 ] || refuse "--size needs WxH"; size=$2; shift ;;
        --) shift; break ;;
        -*) refuse "unknown option $1 (see --help)" ;;
        *) break ;;
        esac
        shift
    done
    [ $# -le 1 ] || refuse "one logo file at most (see --help)"
    [ $# -eq 1 ] && logo=$1
    check_arguments
}

check_arguments() {
    case $frames in
    '' | *[!0-9]*) refuse "--frames wants a whole number from 1 to 100000, not '$frames'" ;;
    esac
    [ "${#frames}" -le 6 ] && [ "$frames" -ge 1 ] && [ "$frames" -le 100000 ] ||
        refuse "--frames wants a whole number from 1 to 100000, not '$frames'"
    width=${size%%x*} height=${size#*x}
    case $width$height in
    '' | *[!0-9]*) refuse "--size wants WIDTHxHEIGHT in pixels, such as 320x240, not '$size'" ;;
    esac
    [ "${#width}" -le 4 ] && [ "${#height}" -le 4 ] && [ "$width" -ge 16 ] && [ "$height" -ge 16 ] &&
        [ "$width" -le 4096 ] && [ "$height" -le 4096 ] ||
        refuse "--size wants each side from 16 to 4096 pixels, not '$size'"
    case $output in
    *.[Gg][Ii][Ff]) kind=gif ;;
    *.[Ww][Ee][Bb][Pp]) kind=webp ;;
    *.[Mm][Pp]4) kind=mp4 ;;
    *.[Pp][Nn][Gg]) kind=png ;;
    *) refuse "cannot tell how to write '$output': its name must end in .gif, .webp, .mp4 or .png" ;;
    esac
    [ -f "$logo" ] && [ -r "$logo" ] || refuse "no logo file to read at '$logo'"
    [ -d "$(dirname "$output")" ] || refuse "no folder to write '$output' into"
}

# Sets program to the logotipo to record; fails when it or a tool is missing.
find_tools() {
    program=${LOGOTIPO_PROGRAM:-$(dirname "$0")/logotipo}
    [ -x "$program" ] || program=$(command -v logotipo) || fail "the program logotipo was not found"
    program=$(realpath "$program") # it runs in the temporary folder
    for tool in apitrace glretrace xdotool ffmpeg; do
        command -v "$tool" >/dev/null || fail "$tool is needed and was not found"
    done
    [ -n "${DISPLAY:-}" ] || command -v Xvfb >/dev/null || fail "no DISPLAY, and Xvfb was not found"
}

# Everything made lives in one folder, $work; the tracer, the replay and a display of our own
# are ended on every way out.
make_workspace() {
    work=$(mktemp -d "${TMPDIR:-/tmp}/logotipo-record.XXXXXX") || fail "cannot make a temporary folder"
    tracer="" xvfb="" replay=""
    trap cleanup EXIT
    trap 'exit 130' INT
    trap 'exit 143' TERM HUP
}

cleanup() {
    [ -n "$tracer" ] && kill -KILL "-$tracer" 2>/dev/null
    [ -n "$replay" ] && kill -KILL "$replay" 2>/dev/null
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null && wait "$xvfb" 2>/dev/null
    rm -rf "$work"
}

# A display of our own, as the tests start theirs: Xvfb picks a free number and writes it
# when ready; -noreset keeps it from resetting between our clients.
start_display() {
    mkfifo "$work/display" || fail "cannot make a fifo"
    screenWidth=$((width + 200 > 1280 ? width + 200 : 1280))
    screenHeight=$((height + 200 > 1024 ? height + 200 : 1024))
    Xvfb -displayfd 3 -screen 0 "${screenWidth}x${screenHeight}x24" -nolisten tcp -noreset \
        3>"$work/display" >/dev/null 2>&1 &
    xvfb=$!
    read -r number <"$work/display"
    [ -n "$number" ] || fail "Xvfb did not start"
    export DISPLAY=":$number"
}

# The swaps in a trace (default: the whole one), one call number a line; a cut trace is
# read up to its last complete block.
swap_calls() {
    apitrace dump --grep=glXSwapBuffers --color=never "${1:-$trace}" 2>/dev/null |
        awk '$2 ~ /^glXSwapBuffers\(/ { print $1 }'
}

# The program's windows on the display, one id a line.
program_windows() {
    xdotool search --name "^$window_title\$" 2>/dev/null
}

# Starts the traced program; sets tracer and window, the program's window: the one of its
# title that was not there before, as the display may show other copies of the program.
start_traced_program() {
    rm -f "$trace"
    others=$(program_windows)
    others=${others:-none}
    # The program in a session of its own (setsid), so that it and apitrace end together.
    (cd "$work" && exec setsid apitrace trace -o "$trace" "$program" >"$work/trace.log" 2>&1) &
    tracer=$!
    window="" waited=0
    while [ -z "$window" ]; do
        [ "$waited" -lt 300 ] || { cat "$work/trace.log" >&2; fail "the program's window did not appear"; }
        kill -0 "$tracer" 2>/dev/null || { cat "$work/trace.log" >&2; fail "the program ended early"; }
        sleep 0.1
        waited=$((waited + 1))
        window=$(program_windows | grep -vxF "$others" | head -n 1)
    done
}

# One traced run, ended with END once the trace has $target bytes. Without a target, the
# frames are first counted at a few megabytes: every frame adds the same bytes, so that
# count tells the size the frames wanted need (and a tenth more, as the trace is read only
# up to its last complete block). Counting a trace takes long, so the run is ended before
# the one count that decides: the frames it holds, in $work/swaps.
trace_run() {
    start_traced_program
    # The program always opens its window 500 by 500; any other size is set from outside.
    if [ "$skip" -gt 0 ]; then
        xdotool windowsize --sync "$window" "$width" "$height" 2>/dev/null ||
            fail "cannot resize the program's window"
    fi

    first=2000000
    deadline=$(($(date +%s) + 60 + needed / 10))
    while :; do
        kill -0 "$tracer" 2>/dev/null || { cat "$work/trace.log" >&2; fail "the program ended early"; }
        [ "$(date +%s)" -lt "$deadline" ] || fail "too few frames were traced in time"
        bytes=$(stat -c %s "$trace" 2>/dev/null || echo 0)
        [ -n "$target" ] && [ "$bytes" -ge "$target" ] && break
        if [ -z "$target" ] && [ "$bytes" -ge "$first" ]; then
            # A copy of what is written so far is counted: a count of the growing trace
            # itself reads on for as long as the program writes faster than it reads.
            head -c "$bytes" "$trace" >"$work/so-far.trace"
            counted=$(swap_calls "$work/so-far.trace" | wc -l)
            rm -f "$work/so-far.trace"
            progress "traced $counted frames so far ($needed wanted)"
            [ "$counted" -ge "$needed" ] && break
            if [ "$counted" -gt 0 ]; then
                target=$((bytes * needed * 11 / (counted * 10)))
            else
                first=$((bytes * 2))
            fi
            continue
        fi
        sleep 0.1
    done
    # Only the key press: the program is gone before a release could be sent.
    xdotool keydown --window "$window" End 2>/dev/null
    wait "$tracer" || { cat "$work/trace.log" >&2; fail "the traced run did not end with status 0"; }
    tracer=""
    swap_calls >"$work/swaps"
}

# Traces until the trace holds the $needed frames, at most three runs, each longer.
trace_frames() {
    target=""
    for attempt in 1 2 3; do
        trace_run
        traced=$(wc -l <"$work/swaps")
        [ "$traced" -ge "$needed" ] && break
        [ "$attempt" -lt 3 ] || fail "the trace holds $traced frames, fewer than $needed"
        progress "the trace holds $traced frames, fewer than $needed; tracing again for longer"
        bytes=$(stat -c %s "$trace")
        target=$((bytes * needed * 3 / ((traced > 0 ? traced : 1) * 2)))
    done
}

# Sets calls to the swap calls of the frames wanted, comma-separated.
choose_frames() {
    if [ "$skip" -gt 0 ]; then
        # The reshape to the size asked for must come before the first frame taken.
        resized=$(apitrace dump --grep=glViewport --color=never "$trace" 2>/dev/null |
            awk -v size="width = $width, height = $height)" 'index($0, size) { print $1; exit }')
        before=$(sed -n "${skip}p" "$work/swaps")
        [ -n "$resized" ] && [ "$resized" -lt "$before" ] ||
            fail "the window did not take the size ${width}x${height} in time"
    fi
    sed -n "$((skip + 1)),$((skip + frames))p" "$work/swaps" >"$work/wanted"
    mv "$work/wanted" "$work/swaps"
    if [ "$kind" = png ]; then
        calls=$(tail -n 1 "$work/swaps")
    else
        calls=$(paste -s -d , "$work/swaps")
    fi
}

# glretrace draws the trace again and saves the frames at their swaps as 0000000000.png on;
# sets wanted to their count.
replay_frames() {
    mkdir "$work/frames"
    glretrace --call-nos=false -S "$calls" -s "$work/frames/" "$trace" >"$work/replay.log" 2>&1 &
    replay=$!
    wanted=$(echo "$calls" | tr , '\n' | wc -l)
    seconds=0
    while kill -0 "$replay" 2>/dev/null; do
        sleep 1
        seconds=$((seconds + 1))
        [ $((seconds % 3)) -eq 0 ] && kill -0 "$replay" 2>/dev/null &&
            progress "replayed $(ls "$work/frames" | wc -l) of $wanted frames"
    done
    wait "$replay" || { tail -n 5 "$work/replay.log" >&2; fail "the replay failed"; }
    replay=""
    [ "$(ls "$work/frames" | wc -l)" -eq "$wanted" ] || fail "the replay saved too few frames"
    rm -f "$trace"
}

# ffmpeg on the saved frames; its progress as a line every hundred frames, its errors as
# they come.
encode() {
    ffmpeg -nostdin -hide_banner -loglevel error -stats -framerate "$rate" \
        -i "$work/frames/%010d.png" "$@" 2>&1 |
        tr '\r' '\n' | awk -v me="$me" '
            /^frame=/ { n = $2 == "" ? $3 : $2; n = n + 0; sub(/^frame= */, ""); if (n >= shown + 100) { printf "%s: encoded %d frames\n", me, n; shown = n }; next }
            NF { print }' >&2
}

# Encodes the frames as $kind into $work/out.$kind, then moves it to $output.
encode_output() {
    made="$work/out.$kind"
    # The replay's window starts at 500 by 500 and only grows, so the frames of a smaller
    # window lie in the lower left corner of its pictures.
    crop="crop=$width:$height:0:ih-$height"
    case $kind in
    png) encode -vf "$crop" -y "$made" ;;
    gif)
        # One palette for the whole animation, from what changes between frames; ordered
        # dithering and redrawing only the changed rectangle keep the file small.
        encode -vf "$crop,palettegen=stats_mode=diff" -y "$work/palette.png" &&
            encode -i "$work/palette.png" -loop 0 -y "$made" -lavfi \
                "[0:v]$crop[frames];[frames][1:v]paletteuse=dither=bayer:bayer_scale=5:diff_mode=rectangle"
        ;;
    webp) encode -vf "$crop" -c:v libwebp_anim -quality 75 -compression_level 4 -loop 0 -y "$made" ;;
    mp4)
        # yuv420p, which every player takes, needs even sides.
        encode -c:v libx264 -preset medium -crf 23 -pix_fmt yuv420p \
            -vf "$crop,pad=ceil(iw/2)*2:ceil(ih/2)*2" -movflags +faststart -y "$made"
        ;;
    esac
    [ -s "$made" ] || fail "the encoding failed"
    mv -f "$made" "$output" || fail "cannot write $output"
}

main() {
    parse_arguments "$@"
    find_tools
    make_workspace
    [ -n "${DISPLAY:-}" ] || start_display
    cp "$logo" "$work/logo.txt" || fail "cannot copy $logo"
    trace="$work/run.trace"

    # The frames wanted are taken from frame $skip on: at the program's own size from the
    # first, at another size one whole period later, when the resized window is certainly
    # drawn.
    skip=0
    [ "$width" -eq 500 ] && [ "$height" -eq 500 ] || skip=$period
    needed=$((skip + frames))
    started=$(date +%s)
    trace_frames
    choose_frames
    progress "traced $needed frames in $(($(date +%s) - started)) s ($(($(stat -c %s "$trace") / 1048576)) MiB of trace); replaying them"

    replayed=$(date +%s)
    replay_frames
    progress "replayed the trace in $(($(date +%s) - replayed)) s; encoding as $kind"
    encode_output
    [ "$wanted" -eq 1 ] && what="frame $((frames - 1))" || what="$wanted frames"
    progress "wrote $output ($(stat -c %s "$output") bytes, $what at ${width}x${height}) in $(($(date +%s) - started)) s"
}

main "$@"
