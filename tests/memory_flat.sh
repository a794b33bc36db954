#!/bin/sh
# Runs the program for ten seconds of frames on a display and checks that its memory stays
# flat: the resident size after them may exceed the one after a warm-up by a small margin
# only. END then ends it, with status 0 (a sanitizer's report at exit would change that).
program=$1
fixture=$2
marginKb=2048
warmUp=3
run=10

dir=$(mktemp -d)
pid=""
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; rm -rf "$dir"' EXIT
cp "$fixture" "$dir/logo.txt" && cd "$dir" || exit 1

# AddressSanitizer holds freed blocks back to catch their later use; that reserve fills up
# over a run and would read as growth. A build without it ignores the variable.
ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}quarantine_size_mb=0:thread_local_quarantine_size_kb=0" \
    "$program" &
pid=$!
window=$(timeout 60 xdotool search --sync --onlyvisible --name 'Logotipo da VESTRAL' 2>/dev/null | head -n 1)
if [ -z "$window" ]; then
    echo "no window appeared"
    exit 1
fi

residentKb() { awk '/^VmRSS:/ { print $2 }' "/proc/$pid/status"; }
cpuTicks() { awk '{ print $14 + $15 }' "/proc/$pid/stat"; }

sleep "$warmUp"
before=$(residentKb)
ticksBefore=$(cpuTicks)
sleep "$run"
if ! kill -0 "$pid" 2>/dev/null; then
    wait "$pid"
    echo "the program ended by itself during the run, status $?"
    pid=""
    exit 1
fi
after=$(residentKb)
ticks=$(($(cpuTicks) - ticksBefore))

xdotool keydown --window "$window" End 2>/dev/null
waited=0
while kill -0 "$pid" 2>/dev/null && [ "$waited" -lt 60 ]; do
    sleep 1
    waited=$((waited + 1))
done
if kill -0 "$pid" 2>/dev/null; then
    echo "END did not end the program"
    exit 1
fi
wait "$pid"
status=$?
pid=""

echo "resident ${before} kB after ${warmUp} s, ${after} kB ${run} s later; CPU $ticks ticks"
fail=0
# An idle program would show flat memory without having drawn anything.
[ "$ticks" -ge "$(getconf CLK_TCK)" ] || { echo "under a second of CPU: frames were not drawn"; fail=1; }
[ $((after - before)) -le "$marginKb" ] || { echo "grew by $((after - before)) kB"; fail=1; }
[ "$status" -eq 0 ] || { echo "exit status $status, expected 0"; fail=1; }
exit $fail
