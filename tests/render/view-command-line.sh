#!/usr/bin/env bash
# vaporel-view's command line as a person types it. Usage: view-command-line.sh VAPOREL_VIEW
set -u
view="$1" failures=0
expect() { # expect STATUS STREAM(1|2) PATTERN ARGS...
    local status="$1" stream="$2" pattern="$3" actual=0; shift 3
    "$view" "$@" >"$tmp/1" 2>"$tmp/2" || actual=$?
    if [ "$actual" != "$status" ] || ! grep -q -- "$pattern" "$tmp/$stream"; then
        echo "FAIL: vaporel-view $* (status $actual):"; cat "$tmp/1" "$tmp/2"; failures=$((failures + 1))
    fi
}
tmp=$(mktemp -d) && trap 'rm -rf "$tmp"' EXIT
expect 0 1 "^usage: vaporel-view" --help
expect 2 2 "unknown option --frobnicate" --frobnicate
expect 2 2 "--images needs a value" --images
expect 1 2 "picture folder /nonexistent/images/ does not exist" --images /nonexistent/images
exit $((failures > 0))
