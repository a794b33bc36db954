#!/bin/sh
# A short fuzzing pass that repeats exactly: a fixed seed and count of inputs, starting
# from the seed corpus, with a dictionary of the format's tokens when one is given. New
# inputs go to a fresh folder, never into the seed corpus.
fuzzer=$1
corpus=$2
work=$3
runs=$4
max_len=${5:-4096}
dict=${6:+-dict=$6}
rm -rf "$work"
mkdir -p "$work/found" || exit 1
exec "$fuzzer" -seed=1 -runs="$runs" -max_len=$max_len -timeout=10 -print_final_stats=1 $dict \
    -artifact_prefix="$work/" "$work/found" "$corpus"
