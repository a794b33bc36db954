#!/bin/sh
# A short fuzzing pass that repeats exactly: a fixed seed and count of inputs, starting
# from the seed corpus. New inputs go to a fresh folder, never into the seed corpus.
fuzzer=$1
corpus=$2
work=$3
runs=$4
rm -rf "$work"
mkdir -p "$work/found" || exit 1
exec "$fuzzer" -seed=1 -runs="$runs" -max_len=4096 -timeout=10 -print_final_stats=1 \
    -artifact_prefix="$work/" "$work/found" "$corpus"
