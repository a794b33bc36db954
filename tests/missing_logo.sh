#!/bin/sh
# Without logo.txt (none, or a link to nothing) the program says so on standard error, exits 1
# and opens no window: DISPLAY is unset, so any GLUT call before the message would fail
# differently.
program=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cd "$dir" || exit 1
printf 'Erro ao abrir arquivo logo.txt. Certifique-se que ele existe em seu diretorio.\n' >want.txt
fail=0
for setup in none dangling-link; do
    [ "$setup" = dangling-link ] && ln -s nowhere/logo.txt logo.txt
    env -u DISPLAY "$program" >out.txt 2>err.txt
    status=$?
    [ "$status" -eq 1 ] || { echo "$setup: exit status $status, expected 1"; fail=1; }
    cmp -s err.txt want.txt || { echo "$setup: standard error differs:"; od -c err.txt; fail=1; }
    [ -s out.txt ] && { echo "$setup: unexpected standard output"; fail=1; }
done
exit $fail
