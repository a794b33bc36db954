#!/bin/sh
# Runs a command with DISPLAY set to a virtual X display of its own, started for it and
# ended after it. Xvfb picks a free display number and writes it when ready. -noreset keeps
# the server from resetting each time its last client leaves: a client that connects during
# a reset (the program right after xdotool or this script's own check) is refused now and
# then. A server that cannot be reached even so is replaced, up to three times.
for attempt in 1 2 3; do
    fifo=$(mktemp -u)
    mkfifo "$fifo" || exit 1
    Xvfb -displayfd 3 -screen 0 1280x1280x24 -nolisten tcp -noreset 3>"$fifo" >/dev/null 2>&1 &
    xvfb=$!
    read -r display <"$fifo"
    rm -f "$fifo"
    if [ -n "$display" ] && xdpyinfo -display ":$display" >/dev/null 2>&1; then
        break
    fi
    kill "$xvfb" 2>/dev/null
    wait "$xvfb" 2>/dev/null
    display=""
done
if [ -z "$display" ]; then
    echo "Xvfb did not start" >&2
    exit 1
fi
DISPLAY=":$display" "$@"
status=$?
kill "$xvfb" 2>/dev/null
wait "$xvfb" 2>/dev/null
exit $status
