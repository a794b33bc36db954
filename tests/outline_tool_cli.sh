#!/bin/sh
# logotipo-outline's command line: help, usage errors, default files and exit statuses.
absolute() { echo "$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"; }
tool=$(absolute "$1")
sample=$(absolute "$2")
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
fail=0
expect() { # expect STATUS DESCRIPTION COMMAND...
    want=$1 what=$2
    shift 2
    "$@" >"$dir/out" 2>"$dir/err" </dev/null
    got=$?
    [ "$got" -eq "$want" ] || { echo "$what: exit status $got, expected $want"; fail=1; }
}

for args in "--help" "check --help" "format -h"; do
    expect 0 "$args" "$tool" $args
    grep -q "^usage: logotipo-outline check" "$dir/out" || { echo "$args: no usage"; fail=1; }
done
expect 2 "no command" "$tool"
grep -q "no command given" "$dir/err" || { echo "no command: no message"; fail=1; }
expect 2 "unknown command" "$tool" draw
expect 2 "too many arguments" "$tool" check a b
expect 2 "unknown option" "$tool" check --verbose
grep -q "^usage:" "$dir/err" || { echo "unknown option: no usage on standard error"; fail=1; }

# check reads logo.txt in the current directory by default.
cd "$dir" || exit 1
expect 2 "check without logo.txt" "$tool" check
grep -q "cannot open logo.txt" "$dir/err" || { echo "check: no message for logo.txt"; fail=1; }
cp "$sample" logo.txt
expect 0 "check of the sample" "$tool" check
grep -q "^no warnings$" out || { echo "check of the sample: not clean"; fail=1; }

# format reads standard input by default, or the file given, and refuses with status 1.
printf 'P\n-2.7 0\n-2.4 0\n-2.55 0.3\n' >free.txt
"$tool" format <free.txt >formatted.txt || { echo "format from standard input failed"; fail=1; }
"$tool" format free.txt >from-file.txt || { echo "format of a file failed"; fail=1; }
cmp -s formatted.txt from-file.txt || { echo "format: file and standard input differ"; fail=1; }
expect 0 "check of format's output" "$tool" check formatted.txt
printf 'P\n1 2 3\n' >bad.txt
expect 1 "format of a refused file" "$tool" format bad.txt
[ -s out ] && { echo "format wrote output for refused input"; fail=1; }
expect 2 "format of a missing file" "$tool" format missing.txt
expect 2 "format of a directory" "$tool" format "$dir"

# import -o writes what standard output gets, with the same report; a failed import or an
# unwritable place leaves the file as it was.
expect 0 "import to standard output" "$tool" import --text AB
mv out stdout.txt && mv err stdout.err
expect 0 "import -o" "$tool" import --text AB -o written.txt
cmp -s stdout.txt written.txt && cmp -s stdout.err err && [ ! -s out ] ||
    { echo "import -o: not the file and report of a plain import"; fail=1; }
expect 2 "import -o with a missing font" "$tool" import --text AB --font ./none.ttf -o written.txt
cmp -s stdout.txt written.txt || { echo "import -o: a failed import changed the file"; fail=1; }
expect 2 "import -o in a missing folder" "$tool" import --text AB -o none/logo.txt
grep -q "cannot write none/logo.txt" err || { echo "import -o: no message"; fail=1; }
expect 2 "import --watch without -o" "$tool" import --watch --text AB
grep -q -- "--watch needs -o" err || { echo "import --watch: no message"; fail=1; }
ls -A | grep -q '^\.' && { echo "import -o: files left behind: $(ls -A)"; fail=1; }
exit $fail
