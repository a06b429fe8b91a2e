#!/usr/bin/env bash
# vaporel-view's command line, as a person types it: --help, a wrong option, a
# folder that does not exist. Usage: view-command-line.sh VAPOREL_VIEW
set -u
view="$1"
failures=0
expect() { # expect WHAT STATUS STREAM PATTERN ARGS...
    local what="$1" status="$2" stream="$3" pattern="$4"; shift 4
    local out err actual=0
    out=$("$view" "$@" 2>/tmp/view-err.$$) || actual=$?
    err=$(cat /tmp/view-err.$$); rm -f /tmp/view-err.$$
    local text="$out"; [ "$stream" = stderr ] && text="$err"
    if [ "$actual" = "$status" ] && grep -q -- "$pattern" <<<"$text"; then
        echo "ok: $what"
    else
        echo "FAIL: $what (status $actual; stdout: $out; stderr: $err)"; failures=$((failures + 1))
    fi
}
expect "--help prints the usage on standard output" 0 stdout "^usage: vaporel-view" --help
expect "a wrong option names itself" 2 stderr "unknown option --frobnicate" --frobnicate
expect "an option without its value says so" 2 stderr "--images needs a value" --images
expect "a missing picture folder is an error" 1 stderr "picture folder /nonexistent/images/ does not exist" \
    --images /nonexistent/images
exit $((failures > 0))
