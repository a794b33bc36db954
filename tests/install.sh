#!/bin/sh
# Installing into a fresh prefix puts the program, the tools, the recorder, the samples, the
# manual pages and the desktop entry in their places, naming the paths of that prefix; the
# pages format without warnings, the sample checks clean and the sample SVG imports.
cmake=$1
build=$2
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
"$cmake" --install "$build" --prefix "$prefix" >/dev/null || exit 1
fail=0
for file in bin/logotipo bin/logotipo-outline bin/logotipo-record share/logotipo/logo.txt \
    share/logotipo/mark.svg share/logotipo/emblem.svg \
    share/man/man1/logotipo.1.gz share/man/man1/logotipo-outline.1.gz \
    share/man/man1/logotipo-record.1.gz share/applications/logotipo.desktop; do
    [ -f "$prefix/$file" ] || { echo "not installed: $file"; fail=1; }
done
for page in "$prefix"/share/man/man1/*.1.gz; do
    warnings=$(zcat "$page" | groff -man -ww -z 2>&1)
    [ -z "$warnings" ] || { echo "$page: $warnings"; fail=1; }
done
"$prefix/bin/logotipo-outline" check "$prefix/share/logotipo/logo.txt" >/dev/null ||
    { echo "the installed sample does not check clean"; fail=1; }
"$prefix/bin/logotipo-outline" import --text VESTRAL -o "$prefix/logo.txt" \
    "$prefix/share/logotipo/mark.svg" 2>/dev/null &&
    "$prefix/bin/logotipo-outline" check "$prefix/logo.txt" >/dev/null ||
    { echo "the installed mark does not import into a clean logo"; fail=1; }
# Paths written at install time are those of this prefix.
zcat "$prefix/share/man/man1/logotipo.1.gz" | grep -qF "$prefix/share/logotipo/logo.txt" ||
    { echo "the manual page does not name the installed sample"; fail=1; }
grep -qxF "Path=$prefix/share/logotipo" "$prefix/share/applications/logotipo.desktop" ||
    { echo "the desktop entry does not start in the installed sample's folder"; fail=1; }
exit $fail
