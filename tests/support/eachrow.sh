#!/bin/bash
# Runs each row of a QtTest program (the last argument) in a process of its own, under the command
# before it (a session bus of its own, say): a row that crashes cannot hide the rows after it.
program=${*: -1}
while read -r class function tag; do
    "${@:1:$#-1}" "$program" "$function${tag:+:$tag}" </dev/null && ran=1 || failed=1
done < <("$program" -datatags)
exit $((${failed:-0} || !${ran:-0})) # a program that lists no rows fails too
