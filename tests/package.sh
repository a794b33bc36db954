#!/bin/sh
# The Debian package, unpacked into a scratch root: its dependencies come from the binaries,
# it holds what a desktop needs, lintian finds no error in it, its desktop entry validates,
# and the installed program starts beside the installed sample (on the system's libraries),
# the installed recorder takes the README's frame of it and the installed sample checks clean.
build=$1
source=$2
scratch=$(mktemp -d)
program=""
trap '[ -n "$program" ] && kill "$program" 2>/dev/null; rm -rf "$scratch"' EXIT
fail=0
problem() {
    echo "$*"
    fail=1
}

(cd "$build" && cpack -G DEB -B "$scratch/out") >"$scratch/cpack.log" 2>&1 ||
    { cat "$scratch/cpack.log"; echo "cpack failed"; exit 1; }
deb=$(ls "$scratch"/out/*.deb)
depends=$(dpkg-deb -f "$deb" Depends)
for needed in "libc6 (" libglut apitrace xvfb xdotool ffmpeg; do
    case $depends in *"$needed"*) ;; *) problem "Depends lacks $needed: $depends" ;; esac
done
lintian --fail-on error "$deb" >"$scratch/lintian.log" 2>&1 ||
    { cat "$scratch/lintian.log"; problem "lintian found errors"; }

root="$scratch/root"
dpkg-deb -x "$deb" "$root"
sample="$root/usr/share/logotipo"
for file in usr/bin/logotipo usr/bin/logotipo-outline usr/bin/logotipo-record \
    usr/share/doc/logotipo/copyright usr/share/doc/logotipo/changelog.Debian.gz \
    usr/share/logotipo/logo.txt usr/share/logotipo/mark.svg usr/share/logotipo/emblem.svg; do
    [ -f "$root/$file" ] || problem "not in the package: $file"
done
for page in logotipo logotipo-outline logotipo-record; do
    warnings=$(zcat "$root/usr/share/man/man1/$page.1.gz" | groff -man -ww -z 2>&1) ||
        problem "$page.1.gz: not readable"
    [ -z "$warnings" ] || problem "$page.1.gz: $warnings"
done
for size in 48 128 256; do
    file "$root/usr/share/icons/hicolor/${size}x$size/apps/logotipo.png" |
        grep -q "PNG image data, $size x $size" || problem "no $size-pixel icon"
done
entry="$root/usr/share/applications/logotipo.desktop"
report=$(desktop-file-validate "$entry" 2>&1) && [ -z "$report" ] || problem "desktop entry: $report"
grep -qx "Path=/usr/share/logotipo" "$entry" || problem "the entry does not start in the sample's folder"

# The entry's way to start: the program in the sample's folder, with its logo.
(cd "$sample" && exec "$root/usr/bin/logotipo") >"$scratch/program.log" 2>&1 &
program=$!
window=$(timeout 20 xdotool search --sync --name '^Logotipo da VESTRAL$' 2>/dev/null | head -n 1)
sleep 1
if [ -z "$window" ] || ! kill -0 "$program" 2>/dev/null; then
    problem "the installed program did not keep a window open:"
    cat "$scratch/program.log"
else
    xdotool keydown --window "$window" End 2>/dev/null
    wait "$program"
    status=$?
    [ "$status" -eq 0 ] || problem "the installed program ended with status $status after END"
fi
program=""

(cd "$sample" && "$root/usr/bin/logotipo-record" --frames 7 -o "$scratch/frame6.png") 2>"$scratch/record.log" ||
    { cat "$scratch/record.log"; problem "the installed recorder failed"; }
psnr=$(ffmpeg -v info -i "$scratch/frame6.png" -i "$source/docs/logotipo.png" -lavfi psnr -f null - 2>&1 |
    sed -n 's/.*average:\([0-9.inf]*\).*/\1/p')
awk -v p="$psnr" 'BEGIN { exit !(p == "inf" || p >= 30) }' ||
    problem "the installed recorder's frame 6 is not the README's (PSNR '$psnr' dB)"

"$root/usr/bin/logotipo-outline" check "$sample/logo.txt" >"$scratch/check.log" 2>&1 ||
    { cat "$scratch/check.log"; problem "the installed sample does not check clean"; }
for svg in mark emblem; do
    "$root/usr/bin/logotipo-outline" import -o "$scratch/$svg.txt" "$sample/$svg.svg" 2>/dev/null ||
        problem "the packaged $svg.svg does not import"
done
exit $fail
