#!/bin/sh
# Installing into a fresh prefix puts the program, the tools, the recorder, the sample and the
# manual pages in their places; the pages format without warnings and the sample checks clean.
cmake=$1
build=$2
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
"$cmake" --install "$build" --prefix "$prefix" >/dev/null || exit 1
fail=0
for file in bin/logotipo bin/logotipo-outline bin/logotipo-record share/logotipo/logo.txt \
    share/man/man1/logotipo.1 share/man/man1/logotipo-outline.1 share/man/man1/logotipo-record.1; do
    [ -f "$prefix/$file" ] || { echo "not installed: $file"; fail=1; }
done
for page in "$prefix"/share/man/man1/*.1; do
    warnings=$(groff -man -ww -z "$page" 2>&1)
    [ -z "$warnings" ] || { echo "$page: $warnings"; fail=1; }
done
"$prefix/bin/logotipo-outline" check "$prefix/share/logotipo/logo.txt" >/dev/null ||
    { echo "the installed sample does not check clean"; fail=1; }
exit $fail
