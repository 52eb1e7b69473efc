# A tally of named checks, for the package tests that judge many things in one run. Part of
# tests/harness. Sourced, not run.
#
#   poko_check WHAT CMD...      runs CMD; on failure prints "FAIL: WHAT" and counts it
#   poko_checks_summary NAME    prints the tally; its status is 0 only when nothing failed
POKO_CHECKS=0
POKO_CHECK_FAILURES=0

poko_check() {
    local what=$1
    shift
    POKO_CHECKS=$((POKO_CHECKS + 1))
    "$@" && return 0
    echo "FAIL: $what" >&2
    POKO_CHECK_FAILURES=$((POKO_CHECK_FAILURES + 1))
}

poko_checks_summary() {
    echo "$1: $((POKO_CHECKS - POKO_CHECK_FAILURES)) passed, $POKO_CHECK_FAILURES failed"
    [ "$POKO_CHECK_FAILURES" -eq 0 ]
}
