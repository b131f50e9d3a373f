#!/bin/bash
# Runs each row of a QtTest program (its last argument) alone, under the command before it: a crash hides no other.
program=${*: -1}
while read -r class function tag; do
    "${@:1:$#-1}" "$program" "$function${tag:+:$tag}" </dev/null && ran=1 || failed=1
done < <("$program" -datatags)
exit $((${failed:-0} || !${ran:-0})) # a program that lists no rows fails too
