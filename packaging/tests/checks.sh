# A tally of named checks for the packaging tests. Sourced, not run.
#
#   check WHAT CMD...   runs CMD; on failure prints "FAIL: WHAT" and counts it
#   checks_summary NAME prints the tally; its status is 0 only when nothing failed
failures=0
checks=0

check() {
    local what=$1
    shift
    checks=$((checks + 1))
    "$@" && return 0
    echo "FAIL: $what" >&2
    failures=$((failures + 1))
}

checks_summary() {
    echo "$1: $((checks - failures)) passed, $failures failed"
    [ "$failures" -eq 0 ]
}
