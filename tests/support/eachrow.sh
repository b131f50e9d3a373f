#!/bin/bash
# Runs each row of a QtTest program (the last argument) in a process of its own, under the command
# before it (a session bus of its own, say): a row that crashes cannot hide the rows after it.
program=${*: -1}
failed=0
while read -r class function tag; do
    "${@:1:$#-1}" "$program" "$function${tag:+:$tag}" </dev/null || failed=1
done < <("$program" -datatags)
exit $failed
